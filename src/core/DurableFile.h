#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Writes that are on the device, not only in the system's cache, when they return: a lab
// computer that loses power or crashes right after "saved" still has the file. Every failure,
// a failed flush included, is thrown as a Failure with the message the user is shown.
namespace DurableFile {

// Puts the data of the open file `fd` on the device. Throws "Stream write error".
void syncFile(int fd);

// Puts the folder that holds `path` on the device, so that a file just created or renamed
// there stays under its name. Throws "Stream write error".
void syncFolderOf(const QString& path);

// Puts what `write` writes into the device in place of the file at `path` (created when there
// is none). The new content goes to a temporary file beside it, which is flushed, renamed over
// the old file, and the folder flushed: a failure leaves the old file as it was and no partial
// file behind. Where the folder takes no new file but the file itself may be written (a shared
// folder set up that way), the file is rewritten in place instead, its old content kept in
// memory and put back when the new content cannot be written. Every step goes by the bytes on
// disk (CodePage::nativePath): a folder named in Windows-1251 bytes is written into as it is.
// A symbolic link keeps leading to its file, which takes the new content; a file that may not
// be written is refused, as a folder is. A failure to make the file names the system's reason.
// The new file keeps the permissions of the file it replaces; in a set-group-ID folder closed to
// others (a lab's tests), it is readable and writable by the group and nobody else from the
// moment it is made.
void replace(const QString& path, const std::function<void(QIODevice&)>& write);

// The in-place step of replace(): writes `newBytes` over the content of `device`, which holds
// `oldBytes` and is open for writing at its start; when that fails, writes `oldBytes` back.
// A file device is cut to the length written and flushed to the device. Throws the failure
// that names `path` and says whether the old content was put back.
void rewriteInPlace(QIODevice& device, const QString& path, const QByteArray& oldBytes,
                    const QByteArray& newBytes);

// The messages of a failed in-place rewrite of `path`.
QString inPlaceRestored(const QString& path);
// The message of a save whose file `path` is in place but whose folder could not be flushed
// (the system's `error`): the file is saved, its entry in the folder may not be on the device.
QString folderNotFlushed(const QString& path, int error);
QString inPlaceLost(const QString& path);

} // namespace DurableFile
