#include "SystemColours.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

namespace SystemColours {
namespace {

QColor desktop(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(QPalette::Active, role);
}

} // namespace

QColor clScrollBar() {
    return desktop(QPalette::Mid);
}
QColor cl3DDkShadow() {
    return desktop(QPalette::Shadow);
}
QColor clMenuHighlight() {
    return desktop(QPalette::Highlight);
}

void setBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}

void setFontColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget.setPalette(palette);
}

} // namespace SystemColours
