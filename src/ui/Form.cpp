#include "Form.h"

#include "ErrorGuard.h"
#include "Fonts.h"
#include "FrameExtents.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace {

// All windows share one kind of frame, so the frame one window was given is the best guess
// for the next one where the window manager cannot be asked.
struct LearnedFrame {
    bool known = false;
    QMargins margins;
};

LearnedFrame& learnedFrame() {
    static LearnedFrame frame;
    return frame;
}

} // namespace

Form::Form(const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(caption);
    setFont(Fonts::tahomaBold(11));
    setAutoFillBackground(true);
}

void Form::makeControls() {
    if (std::exchange(m_controlsMade, true))
        return;
    buildControls();
}

void Form::setVisible(bool visible) {
    if (visible)
        makeControls();
    QWidget::setVisible(visible);
}

void Form::showForm() {
    makeControls();
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    guarded([this] { FormShow(); });
    show();
    raise();
    activateWindow();
}

void Form::closeForm() {
    close();
}

void Form::setClientSize(int width, int height) {
    setFixedSize(width, height);
}

QRect Form::workArea() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins Form::expectedFrame() {
    if (m_frameKnown)
        return m_frame;
    LearnedFrame& learned = learnedFrame();
    if (const auto asked = FrameExtents::askWindowManager(*this)) {
        learned = {true, *asked};
        return *asked;
    }
    // Some platforms know the frame of a window they have made but not yet shown.
    winId();
    if (const QWindow* native = windowHandle(); native && !native->frameMargins().isNull())
        return native->frameMargins();
    return learned.known ? learned.margins : QMargins();
}

QMargins Form::drawnFrame() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void Form::fillWorkArea(LaterShows later) {
    const QRect area = workArea();
    if (area.isEmpty())
        return;
    m_fillsWorkArea = true;
    const QMargins frame = expectedFrame();
    m_frame = frame;
    if (!m_shownBefore || later == LaterShows::FillAgain) {
        const QRect client = WindowPlacement::filling(area, frame);
        setFixedSize(client.size());
        setGeometry(client);
    } else {
        // The size stays as the first showing pinned it.
        setGeometry(QRect(area.topLeft() + QPoint(frame.left(), frame.top()), size()));
    }
}

void Form::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && refusesWindowSystemClose()) {
        event->ignore();
        return;
    }
    guarded([this] { FormClose(); });
    event->accept();
}

void Form::showEvent(QShowEvent* event) {
    if (!m_shownBefore) {
        if (m_centreOnFirstShow) {
            const QScreen* screen =
                this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            m_frame = expectedFrame();
            if (screen)
                setGeometry(WindowPlacement::centred(screen->geometry(),
                                                     screen->availableGeometry(), size(), m_frame));
        }
        m_checkFrameWhenPainted = !m_frameKnown;
    }
    m_shownBefore = true;
    QWidget::showEvent(event);
}

bool Form::event(QEvent* event) {
    if (event->type() == QEvent::Paint && m_checkFrameWhenPainted) {
        m_checkFrameWhenPainted = false;
        // Painted means mapped and framed; the frame's size reaches us just after.
        QTimer::singleShot(0, this, [this] { checkDrawnFrame(); });
    }
    return QWidget::event(event);
}

void Form::checkDrawnFrame() {
    const QMargins drawn = drawnFrame();
    if (drawn.isNull())
        return; // no window manager, or it has not told us yet
    const QMargins used = m_frame;
    m_frame = drawn;
    m_frameKnown = true;
    learnedFrame() = {true, drawn};
    if (drawn == used)
        return;
    // The window manager could not be asked beforehand and drew another frame than the one
    // guessed: put the window where it belongs now that the frame is known.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (m_centreOnFirstShow)
        setGeometry(WindowPlacement::centred(screen->geometry(), screen->availableGeometry(),
                                             size(), drawn));
    else if (m_fillsWorkArea)
        move(screen->availableGeometry().topLeft());
}
