#pragma once

#include <QObject>
#include <QString>

class QClipboard;

// The teacher's window's own way to the desktop's clipboard, for copying from and pasting into
// the editor. It remembers the text it put there, so that the window empties the clipboard at
// its close only when it still holds that text: what another program copied since is left
// alone.
class EditorClipboard : public QObject {
    Q_OBJECT

public:
    explicit EditorClipboard(QObject* parent = nullptr);

    // Puts `text` on the clipboard as plain text, in place of everything it held; an empty
    // text leaves an empty text there.
    void put(const QString& text);

    // The clipboard's plain text; empty when it holds none.
    QString text() const;

    // Does the clipboard still hold the text put() put there, unchanged by anyone else?
    bool holdsOurText() const;

    // Empties the clipboard when it holds our text; true when it did.
    bool emptyIfOurs();

private:
    QClipboard* m_clipboard = nullptr;
    QString m_put;
    bool m_ours = false;
    bool m_putting = false;
};
