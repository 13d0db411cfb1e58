#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// One page of the browser engine, seen from the program. The engine itself lives in a module of
// its own (normakurs-web) that is loaded when the first page is made, so starting the program
// never pays for it.
class EngineView {
public:
    virtual ~EngineView() = default;

    // The engine's widget; it belongs to the parent it was made in.
    virtual QWidget* widget() const = 0;
    // A local file's address is shown through the page source (setPageSource), never read by
    // the engine itself; its links and images are found the same way.
    virtual void setUrl(const QUrl& url) = 0;
    virtual void setHtml(const QString& html, const QUrl& base) = 0;
    // The page the view loads next is the first of its history: what it showed before that
    // (a page made ready ahead of time) is forgotten, as in a view made for it.
    virtual void startHistoryAtNextPage() = 0;
    // Finds `text` (empty clears the marks) and reports the active match and the number of
    // matches, both 0 when nothing was found.
    virtual void findText(const QString& text, bool backward,
                          std::function<void(int active, int total)> done) = 0;

    // Gives the bytes and the type of the local file at `path`; false when there is none.
    using PageSource =
        std::function<bool(const QString& path, QByteArray& bytes, QByteArray& type)>;
    // Takes a local file a link leads to that a page cannot show (a presentation, a video)
    // instead of the page; false leaves it to the page.
    using DocumentHandler = std::function<bool(const QString& path)>;
    // One source serves every page there is; the handler is this page's own.
    virtual void setPageSource(PageSource source) = 0;
    virtual void setDocumentHandler(DocumentHandler handler) = 0;
};

// Loads the engine's module on a worker thread, once, so that the first page finds it loaded:
// the loading is most of an engine's cold start that the program can do ahead of a page.
void loadEngineModuleAhead();

// The name of the module's factory: EngineView* (*)(QWidget* parent).
inline constexpr char kEngineViewFactory[] = "normakurs_create_engine_view";

// Makes a page in `parent`, loading the engine's module first if need be. Throws Failure when
// the module cannot be loaded.
EngineView* createEngineView(QWidget* parent);
