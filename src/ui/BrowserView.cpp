#include "BrowserView.h"

#include "EngineView.h"
#include "PageContent.h"
#include "PlatformServices.h"
#include "TextbookLog.h"

#include <QDateTime>
#include <QUrl>
#include <QWidget>

namespace {

int g_live = 0;

// The engine's module, loaded with the first page.
class ModuleFactory : public EngineFactory {
public:
    EngineView* create(QWidget* parent) override { return createEngineView(parent); }
};

ModuleFactory g_module;
EngineFactory* g_factory = &g_module;

// A page made ahead of time, while the student looks for a topic, so that the engine's own cold
// start is over when the first page is opened. The next view made takes it.
struct SparePage {
    std::unique_ptr<EngineView> engine;
    QPointer<QWidget> widget;
};

SparePage& sparePage() {
    static SparePage spare;
    return spare;
}

} // namespace

EngineFactory& engineFactory() {
    return *g_factory;
}

void setEngineFactory(EngineFactory* factory) {
    g_factory = factory ? factory : &g_module;
}

void BrowserView::prepareSpare(QWidget* holder, const QString& folder) {
    SparePage& spare = sparePage();
    if (spare.widget || g_live > 0)
        return;
    spare.engine.reset(engineFactory().create(holder));
    spare.widget = spare.engine->widget();
    spare.engine->setPageSource(&PageContent::body);
    // On screen, a pixel under the holder's other children: the engine then makes what it
    // draws with too, which a hidden view leaves to the first page.
    spare.widget->setGeometry(0, 0, 1, 1);
    spare.widget->lower();
    spare.widget->show();
    // A local folder: the engine then has the renderer that local pages are shown in running.
    spare.engine->setUrl(QUrl::fromLocalFile(folder));
}

void BrowserView::loadEngineAhead() {
    loadEngineModuleAhead();
}

BrowserView::BrowserView(QObject* owner, QWidget* parent)
    : QObject(owner) {
    SparePage& spare = sparePage();
    if (spare.widget) {
        m_engine = std::move(spare.engine);
        if (spare.widget->parentWidget() != parent)
            spare.widget->setParent(parent);
        spare.widget = nullptr;
        // A new tab's first page has nothing to go back to, as in a view made for it.
        m_engine->startHistoryAtNextPage();
    } else {
        spare.engine.reset(); // its holder went, and its page with it
        m_engine.reset(engineFactory().create(parent));
    }
    m_engine->setPageSource(&PageContent::body);
    // A link to a presentation, a video or any document a page cannot show opens on the
    // desktop, as a click in the presentation tree does.
    m_engine->setDocumentHandler([](const QString& path) {
        if (PageContent::shownInPage(path))
            return false;
        services().openDocument(path);
        return true;
    });
    m_view = m_engine->widget();
    m_view->setObjectName(QStringLiteral("browser"));
    m_view->setAccessibleName(QStringLiteral("Страница"));
    // A new child lies above its older siblings; it is shown with its parent like every control.
    m_view->raise();
    m_view->show();
    ++g_live;
}

BrowserView::~BrowserView() {
    // The parent may have gone first (the window torn down at the end of the program), taking
    // the view with it; otherwise the view, its page and the page's renderer go now.
    delete m_view.data();
    --g_live;
}

void BrowserView::place(int left, int top, int width, int height) {
    if (m_view)
        m_view->setGeometry(left, top, width, height);
}

void BrowserView::bringToFront() {
    if (m_view)
        m_view->raise();
}

void BrowserView::navigate(const QString& path) {
    if (!m_view)
        return;
    qCDebug(lcTextbook, "navigate at %lld", QDateTime::currentMSecsSinceEpoch());
    // Every page, packed or not and however large, is read through the page source.
    m_engine->setUrl(QUrl::fromLocalFile(path));
}

void BrowserView::findText(const QString& text, bool backward, std::function<void(int, int)> done) {
    if (m_view)
        m_engine->findText(text, backward, std::move(done));
    else if (done)
        done(0, 0);
}
