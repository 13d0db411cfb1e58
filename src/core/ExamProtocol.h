#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// What the testing window and the exam keeper say to each other over a pipe. A message is one
// line of UTF-8: fields separated by tabs, each field with "%", tab, carriage return and line
// feed written as "%25", "%09", "%0D" and "%0A". The first field names the message.
//
//   window -> keeper                          keeper -> window
//   LIST subject                              OK variant...
//   OPEN name group subject variant           OK keys version question...
//                                                                   (version: which file was
//                                                                   opened; a question: its
//                                                                   lines, each ended by "\n")
//                                             REFUSED problem       (the variant cannot run)
//   FINISH locale count answers               OK report             (stored before it is sent)
//                                             FULL                  (every report number taken)
//   any                                       ERROR message         (for the error box)
//                                             INVALID message       (not this protocol; the
//                                                                    keeper stops)
//
// Answers are one character per key entry: "A" to "E", or "-" for a question left unanswered.
namespace ExamProtocol {

// The longest line either side accepts, its line feed included: enough for the answers of a
// test of a hundred thousand questions, and far below what could exhaust the keeper's memory.
// A reply may be longer (a variant's questions): the window reads it without this limit.
constexpr qsizetype kMaxRequestLine = 1024 * 1024;

inline constexpr char kList[] = "LIST";
inline constexpr char kOpen[] = "OPEN";
inline constexpr char kFinish[] = "FINISH";
inline constexpr char kOk[] = "OK";
inline constexpr char kRefused[] = "REFUSED";
inline constexpr char kFull[] = "FULL";
inline constexpr char kError[] = "ERROR";
inline constexpr char kInvalid[] = "INVALID";

constexpr char kUnanswered = '-';

// One message, its line feed included.
QByteArray encode(const QStringList& fields);

// The fields of one line (without its line feed); nothing when the line is not valid UTF-8,
// holds a raw control character or a broken escape.
std::optional<QStringList> decode(const QByteArray& line);

// A question's lines as one field, and back: every line ends with "\n", so a question of one
// empty line and a question of none stay apart.
QString joinLines(const QStringList& lines);
QStringList splitLines(const QString& field);

// Answer slots (0 for none) as the protocol's characters, and back; nothing when a character
// is not one of "-" and "A" to "E".
QByteArray answersText(const QByteArray& answers);
std::optional<QByteArray> answersFromText(const QString& text);

// Whether `name` looks like a locale name the keeper may build its formats from ("C", "ru_RU",
// "sr_Latn_RS"): letters and digits in at most four parts joined by "_".
bool isLocaleName(const QString& name);

} // namespace ExamProtocol
