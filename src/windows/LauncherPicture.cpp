#include "LauncherPicture.h"

#include "LauncherArtwork.h"

#include <QPainter>
#include <QPaintEvent>

LauncherPicture::LauncherPicture(QWidget* parent)
    : QWidget(parent)
    , m_picture(LauncherArtwork::picture()) {}

void LauncherPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
}
