#pragma once

// Helpers for the tests that drive widgets.

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <QTest>
#include <QWidget>

namespace WidgetTestHelpers {

// Counts the key presses that reach a control, the modifier keys' own presses aside.
class PressCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
            break;
        default:
            ++presses;
        }
        return false;
    }
};

// Counts the show events a widget receives.
struct ShowCounter : QObject {
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show;
        return false;
    }
};

// Types `text` into `widget` key by key, as a keyboard would (also letters beyond ASCII).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace WidgetTestHelpers
