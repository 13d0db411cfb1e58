#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// What a browser tab is given for a topic page. A plain page is opened from its file. The
// teacher's editor saves packed text under any name, ".html" included: such a page is unpacked
// and handed over as HTML, with the page's own file as the base address so that its relative
// links and images are found beside it. Anything else is opened from its file as well, and the
// engine shows it in its own way.
struct PageContent {
    enum class Kind { File, Html };

    Kind kind = Kind::File;
    QUrl url;     // the page's file; the base address of unpacked HTML
    QString html; // the unpacked page, for Kind::Html

    static PageContent forFile(const QString& path);

    // Can `html` be handed to the engine directly with `base` as its address? The engine takes
    // such a page as one address of at most 2 MiB, percent-encoded.
    static bool fitsDirectly(const QString& html);

    // `html` with a <base> element for `base` put into its head (or in front of it when it has
    // none), for a page that is shown from a file somewhere else.
    static QString withBase(const QString& html, const QUrl& base);

    // What the browser is given for the local file at `path`, however the page was reached: the
    // file's bytes (a packed page's unpacked) and their type. A page or text that does not
    // declare its charset is Windows-1251, the code page of the whole course; one that does is
    // read as it declares. False when there is no regular file to read.
    static bool body(const QString& path, QByteArray& bytes, QByteArray& type);

    // Does `bytes` say which charset it is in: a byte order mark, or a charset in a <meta> (or
    // an XML declaration's encoding) within the first 1024 bytes, where a browser looks for it?
    static bool declaresCharset(const QByteArray& bytes);

    // Is the file at `path` shown in a page? Pages, text and pictures are; anything else a link
    // leads to (a presentation, a video, a document) is handed to the desktop instead.
    static bool shownInPage(const QString& path);

    // Could these be the first two bytes of a zlib stream that a packed text reader accepts?
    // (deflate, a window of at most 32 KiB, a valid check value, no preset dictionary)
    static bool looksPacked(const QByteArray& firstBytes);
};
