#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace CodePage
