#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class EngineView;
class QWidget;

// Makes the pages of the views (and the spare page). The one in force is the engine's module,
// loaded with the first page, unless another factory has been installed.
class EngineFactory {
public:
    virtual ~EngineFactory() = default;
    // A page in `parent`. Throws Failure when none can be made.
    virtual EngineView* create(QWidget* parent) = 0;
};

// The factory in force.
EngineFactory& engineFactory();
// Installs `factory` (not owned) for the pages made from now on; null puts back the module's.
void setEngineFactory(EngineFactory* factory);

// One embedded browser view: a thin wrapper over a page of the engine module with the operations
// the windows need and no others. The engine starts with the first view that is made, so nothing
// pays for it before a page is to be shown.
//
// The wrapper belongs to its owner (deleted with it, or earlier by whoever holds it); the view
// lies in its parent. Destroying the wrapper destroys the view and its page at once, and with
// them the page's renderer.
class BrowserView : public QObject {
    Q_OBJECT

public:
    // create: a blank view on top of the parent's older children, shown when the parent is.
    BrowserView(QObject* owner, QWidget* parent);
    // destroy
    ~BrowserView() override;

    BrowserView(const BrowserView&) = delete;
    BrowserView& operator=(const BrowserView&) = delete;

    // Covers exactly this rectangle of the parent until placed again.
    void place(int left, int top, int width, int height);
    // Puts the view above its siblings.
    void bringToFront();
    // Starts loading the page at `path` and returns at once. A packed page is shown unpacked.
    void navigate(const QString& path);

    // Finds `text` in the page (empty clears the marks); `done` gets the active match and the
    // number of matches.
    void findText(const QString& text, bool backward,
                  std::function<void(int active, int total)> done);

    // The engine's widget (a QWebEngineView), for tests; null once destroyed.
    QWidget* view() const { return m_view; }

    // Starts the engine with a hidden page in `holder` when no view exists yet, so that the next
    // view made takes a page that is ready; the page shows the local `folder` the next pages come
    // from. Throws Failure when the engine cannot be loaded.
    static void prepareSpare(QWidget* holder, const QString& folder);

    // Loads the engine's module in the background, ahead of the first view.
    static void loadEngineAhead();

private:
    std::unique_ptr<EngineView> m_engine;
    QPointer<QWidget> m_view;
};
