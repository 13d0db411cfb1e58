#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The editor's keys Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+N and Ctrl+R, taken from whichever control of
// one window has the focus, but only while that window is the application's active window.
// Keystrokes that reach other windows, or other programs, are never touched; a combination with
// Shift, Alt or Meta as well is not one of these keys.
//
// Installed as an event filter on the application: the focused control would otherwise keep
// Ctrl+C and Ctrl+V for itself.
class EditorHotKeys : public QObject {
    Q_OBJECT

public:
    enum Id { SelectAll = 0, Copy = 1, Paste = 2, New = 3, Reload = 4 };

    // `action` runs with the key's id for every press of one of the keys.
    EditorHotKeys(QWidget* window, std::function<void(int id)> action, QObject* parent = nullptr);
    ~EditorHotKeys() override;

    // Starts and stops taking the keys (installs and removes the application filter).
    void start();
    void stop();
    bool isStarted() const { return m_started; }

    // The id of a key combination, or -1 when it is none of the five.
    static int idFor(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window = nullptr;
    std::function<void(int)> m_action;
    bool m_started = false;
};
