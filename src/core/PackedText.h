#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QFile;

// A packed text file is one zlib stream holding an 8-byte little-endian signed length followed
// by that many text bytes. Writers compress at level 9 with a 32 KiB window (files begin 78 DA);
// readers accept any zlib stream without a preset dictionary.
//
// Every failure is thrown as a Failure with the message the user is shown.
namespace PackedText {

// The largest text a text area takes. A longer text fails with "Text exceeds memo capacity".
constexpr qint64 kMemoCapacity = qint64(64) * 1024 * 1024;

// Compresses `text` into `device`, which must be open for writing.
void writeStream(QIODevice& device, const QByteArray& text);

// Decompresses the text from `device`, open for reading. Memory grows only with what was really
// decompressed, whatever the length field claims.
QByteArray readStream(QIODevice& device, qint64 capacity = kMemoCapacity);

// Puts `text` as a packed file at `path`, whole or not at all: written beside it first, flushed
// to the device and only then put in place of the old file (see DurableFile::replace); a folder
// at `path` fails with the create failure. The path may lead through folders whose names are in
// Windows-1251 bytes: they are written into, not given a UTF-8 twin.
void SaveToStream(const QString& path, const QByteArray& text);

// What the system tells of a file as it was opened: enough to know it again unchanged, and who
// owns it.
struct FileStatus {
    bool found = false; // set once the file is open and known to be a regular file
    qint64 size = 0;
    qint64 modifiedNs = 0; // the last change of its content, in nanoseconds since 1970
    quint64 inode = 0;     // 0 where the file system does not keep it (see FolderReader)
    uint owner = 0;        // the owner's user ID
};

// Reads the text of the packed file at `path`, exactly as stored. `status`, when given, is
// filled from the open file once it is found to be a regular file.
QByteArray OpenFromStream(const QString& path, qint64 capacity = kMemoCapacity,
                          FileStatus* status = nullptr);

// A folder held open, for the readers of its files, on one thread or several.
class OpenFolder {
public:
    // By the folder's UTF-8 spelling only: a folder known only by its Windows-1251 bytes is not
    // opened, and its files are read path by path, the way that finds them.
    explicit OpenFolder(const QString& folder);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    const QString& path() const { return m_path; }
    int descriptor() const { return m_fd; } // -1 when it could not be opened
    // Does a file keep its inode number here? Not on a FUSE share (sshfs and the like), whose
    // numbers are handed out anew as files are looked up: there FileStatus::inode is 0.
    bool stableInodes() const { return m_stableInodes; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_stableInodes = true;
};

// A folder held open while many of its packed files are read: each file is looked up by its name
// in the folder instead of by its whole path. What a name gives, text or failure (with the whole
// path in its message), is what OpenFromStream gives for the folder's path, "/" and the name.
// One reader is for one thread; readers on several threads may share one OpenFolder.
class FolderReader {
public:
    explicit FolderReader(const QString& folder);
    explicit FolderReader(std::shared_ptr<const OpenFolder> folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    QByteArray OpenFromStream(const QString& name, qint64 capacity = kMemoCapacity,
                              FileStatus* status = nullptr);

    // What the system tells of the regular file `name` in the folder, without opening it; false
    // when it is not there by that name, is no regular file or the folder could not be opened.
    bool statusOf(const QString& name, FileStatus& status) const;

private:
    struct Stream;

    std::shared_ptr<const OpenFolder> m_folder;
    std::unique_ptr<Stream> m_stream; // kept from one file to the next
};

// Opens the existing file at `path` for reading into `file`, only when it is a regular file: a
// folder, a named pipe, a socket or a device fails with the open failure. The file is opened
// without waiting first and then looked at, so whatever stands at the path when it is opened is
// what is checked; nothing can be swapped in between.
void openRegularFile(QFile& file, const QString& path);

} // namespace PackedText
