#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Windows-1251 is the code page of every text file the program reads and writes.
namespace CodePage {

// Decodes Windows-1251 bytes. Every byte maps to some character, so decoding never fails.
QString decode(const QByteArray& bytes);

// The character of every byte, as decode() gives it, for loops that decode as they go.
const char16_t* decodeTable();

// The Windows-1251 byte of one character; "?" when the code page cannot hold it.
char encodeChar(char16_t character);

// Encodes to Windows-1251. A character the code page cannot hold becomes "?".
QByteArray encode(const QString& text);

// The characters of `text` that encode() would turn into "?", each listed once, in order of
// first appearance. Empty when the text can be stored as it is.
QString unrepresentable(const QString& text);

// Upper-cases one Windows-1251 byte the way the Russian ANSI code page does: Latin a-z and the
// Cyrillic small letters (including ё and the Ukrainian/Belarusian letters) get their capitals.
char upperAnsi(char byte);

// File names. This platform's names are UTF-8 bytes, but a folder copied from a Windows system
// without conversion keeps its names in Windows-1251 bytes. Such a name is shown decoded as
// Windows-1251, and every place that opens a file turns the path back into the bytes on disk
// with nativePath(), so the rest of the program passes names around as text as always.

// The name for the on-disk bytes `raw`: UTF-8 when they are valid UTF-8, else Windows-1251.
// Null when the decoded name would not give the same bytes back: such an entry could not be
// opened again by its name. `fromWindows1251`, when given, tells which of the two it was.
QString fileName(const QByteArray& raw, bool* fromWindows1251 = nullptr);

// The on-disk bytes of `path`: its UTF-8 bytes where an entry by those bytes exists, else, one
// part of the path after another, the part's Windows-1251 bytes where only they exist. A part
// that exists neither way (a file about to be made) keeps its UTF-8 bytes. A part spelled the
// way the toolkit's own dialogs show such a name (every byte that is not UTF-8 as U+FFFD) is the
// one entry of its folder shown that way, when there is exactly one.
QByteArray nativePath(const QString& path);

// For a path whose UTF-8 bytes the caller has just failed to open: the on-disk bytes that
// nativePath() would give, without looking for the UTF-8 spelling again (on a network share
// every look is a round trip); empty when there are no others.
QByteArray otherSpelling(const QString& path);

// The address of the local file `path` for the desktop's "open": a file URL whose path is the
// file's bytes on disk (nativePath), so that the application the desktop starts is given the
// file itself, whatever code page its name is in.
QUrl fileUrl(const QString& path);

} // namespace CodePage
