#include "WindowFixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

void WindowFixture::prepareApplication() {
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
}

bool WindowFixture::startFixture() {
    m_content = std::make_unique<TempContentTree>();
    m_services = std::make_unique<RecordingServices>();
    return m_content->isValid();
}

void WindowFixture::stopFixture() {
    while (!m_undo.empty()) {
        const std::function<void()> undo = std::move(m_undo.back());
        m_undo.pop_back();
        undo();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    m_navigation.reset();
    m_services.reset();
    m_content.reset();
}
