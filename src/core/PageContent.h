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

    // Could these be the first two bytes of a zlib stream that a packed text reader accepts?
    // (deflate, a window of at most 32 KiB, a valid check value, no preset dictionary)
    static bool looksPacked(const QByteArray& firstBytes);
};
