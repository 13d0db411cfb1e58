#include "WindowFixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

void WindowFixture::prepareApplication() {
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
}

bool WindowFixture::start() {
    content = std::make_unique<TempContentTree>();
    services = std::make_unique<RecordingServices>();
    return content->isValid();
}

void WindowFixture::stop() {
    while (!m_undo.empty()) {
        const std::function<void()> undo = std::move(m_undo.back());
        m_undo.pop_back();
        undo();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    navigation.reset();
    services.reset();
    content.reset();
}
