// The browser engine's module: pages for the program made with the toolkit's web engine. Only
// this module links the engine; the program loads it when the first page is needed.

#include "EngineView.h"

#include <QBuffer>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPointer>
#include <QTimer>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace {

// Local files are shown under an address scheme of the program's own, so that every page is
// read the program's way, however it is reached (the tree, a link, back and forward): packed
// pages unpacked, pages without a charset in Windows-1251, names in Windows-1251 bytes found.
// Relative links and images resolve against the page's own folder as under "file:".
constexpr char kScheme[] = "normakurs";
// Every page is of one host, so of one site: a link or a click from one page to the next stays
// in the renderer the tab has, where an address without a host would be a site of its own and
// start a renderer anew for every page.
constexpr char kHost[] = "course";

EngineView::PageSource& pageSource() {
    static EngineView::PageSource source;
    return source;
}

QUrl toPageUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return url;
    QUrl page;
    page.setScheme(QString::fromLatin1(kScheme));
    page.setHost(QString::fromLatin1(kHost));
    page.setPath(url.toLocalFile());
    page.setFragment(url.fragment());
    return page;
}

class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        QByteArray bytes;
        QByteArray type;
        const EngineView::PageSource& source = pageSource();
        const QString path = job->requestUrl().path();
        if (!source || !source(path, bytes, type)) {
            // A folder (the page a new tab starts with) is a blank page, not a missing one.
            if (!QFileInfo(path).isDir()) {
                job->fail(QWebEngineUrlRequestJob::UrlNotFound);
                return;
            }
            bytes.clear();
            type = "text/html";
        }
        auto* buffer = new QBuffer(job);
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        job->reply(type, buffer);
    }
};

// Registers the scheme before the engine starts, and serves it from the default profile.
void prepareScheme() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                    QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void installHandler() {
    static PageSchemeHandler* handler = nullptr;
    if (handler)
        return;
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    handler = new PageSchemeHandler(profile);
    profile->installUrlSchemeHandler(kScheme, handler);
}

class Page : public QWebEnginePage {
public:
    explicit Page(QObject* parent)
        : QWebEnginePage(parent) {
        // A link that asks for a new window opens here, in the same tab.
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest& request) { load(request.requestedUrl()); });
    }

    EngineView::DocumentHandler documents;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (url.isLocalFile()) {
            // An address of a local file written out in a page: shown the program's way.
            const QUrl page = toPageUrl(url);
            QTimer::singleShot(0, this, [this, page] { load(page); });
            return false;
        }
        if (isMainFrame && url.scheme() == QLatin1String(kScheme) && documents &&
            documents(url.path()))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

class WebEngineView : public EngineView {
public:
    explicit WebEngineView(QWidget* parent)
        : m_view(new QWebEngineView(parent)) {
        installHandler();
        m_page = new Page(m_view);
        m_view->setPage(m_page);
        QObject::connect(m_page, &QWebEnginePage::loadingChanged, m_page,
                         [this](const QWebEngineLoadingInfo& info) { loadingChanged(info); });
    }

    QWidget* widget() const override { return m_view; }

    void setUrl(const QUrl& url) override {
        if (!m_view)
            return;
        const QUrl page = toPageUrl(url);
        if (m_historyStartsAtNext) {
            m_historyStartsAtNext = false;
            m_firstPage = page.adjusted(QUrl::RemoveFragment);
        }
        m_view->setUrl(page);
    }

    void startHistoryAtNextPage() override { m_historyStartsAtNext = true; }

    void setHtml(const QString& html, const QUrl& base) override {
        if (m_view)
            m_view->setHtml(html, toPageUrl(base));
    }

    void findText(const QString& text, bool backward, std::function<void(int, int)> done) override {
        if (!m_view) {
            if (done)
                done(0, 0);
            return;
        }
        m_view->page()->findText(
            text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags(),
            [done](const QWebEngineFindTextResult& result) {
                if (done)
                    done(result.activeMatch(), result.numberOfMatches());
            });
    }

    void setPageSource(PageSource source) override { pageSource() = std::move(source); }

    void setDocumentHandler(DocumentHandler handler) override {
        if (m_page)
            m_page->documents = std::move(handler);
    }

private:
    void loadingChanged(const QWebEngineLoadingInfo& info) {
        if (m_firstPage.isEmpty() || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
            info.url().adjusted(QUrl::RemoveFragment) != m_firstPage)
            return;
        // The first page is in: the engine keeps it and forgets every entry before it.
        m_firstPage.clear();
        if (m_page)
            m_page->history()->clear();
    }

    QPointer<QWebEngineView> m_view;
    QPointer<Page> m_page;
    bool m_historyStartsAtNext = false;
    QUrl m_firstPage; // loading as the first page of the history, until it is in
};

} // namespace

// The engine's own set-up of the graphics context its pages share. The engine runs it before
// the application object exists when a program links it; loaded later, as here, it has to be run
// by hand before the first page, or the engine finds no context and fails. Doing it here keeps
// the context, and the graphics driver behind it, out of every run that never shows a page.
namespace QtWebEngineCore {
void initialize();
} // namespace QtWebEngineCore

namespace {

// Pages for a screen reader. The engine builds a page's accessibility tree, which a reader walks
// through the toolkit like any control, only while the toolkit's own accessibility is active:
// that is, while the desktop's accessibility status (a screen reader on, or assistive technology
// enabled) says so when the program starts. On Linux the engine ignores that unless this variable
// is set before its first page; with it set and no reader, the engine builds no tree and a page
// costs what it always did. A value given from outside is left as it is.
void followAssistiveTechnology() {
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

} // namespace

extern "C" Q_DECL_EXPORT EngineView* normakurs_create_engine_view(QWidget* parent) {
    followAssistiveTechnology();
    prepareScheme();
    if (!QOpenGLContext::globalShareContext())
        QtWebEngineCore::initialize();
    return new WebEngineView(parent);
}
