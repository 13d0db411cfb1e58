// The browser engine's module: pages for the program made with the toolkit's web engine. Only
// this module links the engine; the program loads it when the first page is needed.

#include "EngineView.h"

#include <QOpenGLContext>
#include <QPointer>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class WebEngineView : public EngineView {
public:
    explicit WebEngineView(QWidget* parent)
        : m_view(new QWebEngineView(parent)) {}

    QWidget* widget() const override { return m_view; }

    void setUrl(const QUrl& url) override {
        if (m_view)
            m_view->setUrl(url);
    }

    void setHtml(const QString& html, const QUrl& base) override {
        if (m_view)
            m_view->setHtml(html, base);
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

private:
    QPointer<QWebEngineView> m_view;
};

} // namespace

// The engine's own set-up of the graphics context its pages share. The engine runs it before
// the application object exists when a program links it; loaded later, as here, it has to be run
// by hand before the first page, or the engine finds no context and fails. Doing it here keeps
// the context, and the graphics driver behind it, out of every run that never shows a page.
namespace QtWebEngineCore {
void initialize();
} // namespace QtWebEngineCore

extern "C" Q_DECL_EXPORT EngineView* normakurs_create_engine_view(QWidget* parent) {
    if (!QOpenGLContext::globalShareContext())
        QtWebEngineCore::initialize();
    return new WebEngineView(parent);
}
