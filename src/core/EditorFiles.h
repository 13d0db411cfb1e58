#pragma once

#include <QString>

// The files behind the editor's buttons. Texts are editor texts (lines separated by "\n");
// files hold Windows-1251 with CR LF. Every failure is thrown as a Failure with the message the
// user is shown.
namespace EditorFiles {

// "Открыть документ ": the text of the packed file at `path`.
QString openPacked(const QString& path);

// "Открыть файл": the file at `path` read as plain text, without unpacking. Only regular files
// are read; a folder, a missing file or one that cannot be read fails with the open failure.
QString openPlain(const QString& path);

// The bytes of the regular file at `path`, with openPlain()'s failures (a question bank is read
// this way too).
QByteArray readPlainBytes(const QString& path);

// The question to ask before `text` is saved when Windows-1251 cannot hold all of it: it names
// the characters that the file will hold as "?". Empty when the text can be stored as it is.
QString lossQuestion(const QString& text);

// The question to ask before a file at `path` is replaced. Empty when no file is there (a folder
// of that name is no file: saving over it fails on its own).
QString replaceQuestion(const QString& path);

// "Сохранить файл": writes `text` as a packed text to `path`. The text goes to a temporary file
// beside it, which takes the place of the old file only once it is complete and on the device:
// a failed save leaves the old file as it was and no partial file behind. In a folder that
// takes no new file the existing file is rewritten in place, and put back as it was when that
// fails (DurableFile::replace).
void savePacked(const QString& path, const QString& text);

} // namespace EditorFiles
