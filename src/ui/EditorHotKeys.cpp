#include "EditorHotKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

EditorHotKeys::EditorHotKeys(QWidget* window, std::function<void(int id)> action, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_action(std::move(action)) {}

EditorHotKeys::~EditorHotKeys() {
    stop();
}

void EditorHotKeys::start() {
    if (m_started || !qApp)
        return;
    qApp->installEventFilter(this);
    m_started = true;
}

void EditorHotKeys::stop() {
    if (!m_started)
        return;
    if (qApp)
        qApp->removeEventFilter(this);
    m_started = false;
}

int EditorHotKeys::idFor(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held != Qt::ControlModifier)
        return -1;
    switch (key) {
    case Qt::Key_A:
        return SelectAll;
    case Qt::Key_C:
        return Copy;
    case Qt::Key_V:
        return Paste;
    case Qt::Key_N:
        return New;
    case Qt::Key_R:
        return Reload;
    default:
        return -1;
    }
}

bool EditorHotKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    // Key events reach the window system's window first and the focused control after it; only
    // the control's delivery counts, so that each press acts once.
    if (!watched->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != m_window || QApplication::activeWindow() != m_window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int id = idFor(key->key(), key->modifiers());
    if (id < 0)
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claim the key for the control, so that no shortcut of the window takes it; the press
        // that follows comes back here.
        event->accept();
        return true;
    }
    m_action(id);
    return true;
}
