#pragma once

#include <QByteArray>
#include <QString>

// What a browser tab is given for a local file, however the page was reached (the tree, a link,
// back and forward). The teacher's editor saves packed text under any name, ".html" included:
// such a page is unpacked and served as the page it holds.
namespace PageContent {

// What the browser is given for the local file at `path`: the file's bytes (a packed page's
// unpacked) and their type. A page or text that does not declare its charset is Windows-1251,
// the code page of the whole course; one that does is read as it declares. False when there is
// no regular file to read.
bool body(const QString& path, QByteArray& bytes, QByteArray& type);

// Does `bytes` say which charset it is in: a byte order mark, or a charset in a <meta> (or an
// XML declaration's encoding) within the first 1024 bytes, where a browser looks for it?
bool declaresCharset(const QByteArray& bytes);

// Is the file at `path` shown in a page? Pages, text and pictures are; anything else a link
// leads to (a presentation, a video, a document) is handed to the desktop instead.
bool shownInPage(const QString& path);

// Could these be the first two bytes of a zlib stream that a packed text reader accepts?
// (deflate, a window of at most 32 KiB, a valid check value, no preset dictionary)
bool looksPacked(const QByteArray& firstBytes);

} // namespace PageContent
