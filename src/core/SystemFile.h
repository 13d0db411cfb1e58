#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// A file at the level of the system's calls, and what the user is told when one fails. Every
// reason a file failure gives comes from here, so the messages speak one language: the
// system's, for the program's locale.
namespace SystemFile {

// The platform's text for an error number, in the words every file failure uses.
QString systemReason(int error);

// The messages of the file failures, with the full path and the platform's reason (without its
// trailing blanks, line breaks and full stops: the error path adds its own full stop).
QString createFailure(const QString& path, const QString& reason);
QString openFailure(const QString& path, const QString& reason);

// Hands the open descriptor `fd` to `file`, which closes it from then on. Returns 0 when `file`
// took it; otherwise the descriptor is closed and the system's error number says why.
int adoptDescriptor(QFile& file, int fd, QIODevice::OpenMode mode);

} // namespace SystemFile
