#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

// Small helpers every window uses to make its controls: each control carries its name as the
// object name (tests find it by that) and a name a screen reader can speak.
namespace Controls {

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QString& accessible = {}) {
    widget->setObjectName(QLatin1String(name));
    if (!accessible.isEmpty())
        widget->setAccessibleName(accessible);
    return widget;
}

// A push button at a fixed place. Enter presses it while it has the focus, like the space bar;
// no button is a window's default.
inline QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                           const QRect& place) {
    auto* made = named(new QPushButton(caption, parent), name, caption.trimmed());
    made->setGeometry(place);
    made->setAutoDefault(true);
    return made;
}

} // namespace Controls
