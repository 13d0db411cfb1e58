#include "LauncherPicture.h"

#include "LauncherArtwork.h"

#include <QPaintEvent>
#include <QPainter>

LauncherPicture::LauncherPicture(QWidget* parent)
    : QWidget(parent)
    , m_picture(LauncherArtwork::picture()) {}

void LauncherPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
}
