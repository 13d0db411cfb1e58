#include "Form.h"

#include "ErrorGuard.h"
#include "Fonts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

Form::Form(const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(caption);
    setFont(Fonts::tahomaBold(11));
    setAutoFillBackground(true);
}

void Form::showForm() {
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

void Form::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // move() places the outer frame, so centre the frame, not the client area. Before the
    // window system has told us the frame, this is the client size.
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void Form::closeEvent(QCloseEvent* event) {
    guarded([this] { FormClose(); });
    event->accept();
}

void Form::showEvent(QShowEvent* event) {
    if (m_centreOnFirstShow && !m_shownBefore)
        centreOnScreen();
    m_shownBefore = true;
    QWidget::showEvent(event);
}
