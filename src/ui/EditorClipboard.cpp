#include "EditorClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

EditorClipboard::EditorClipboard(QObject* parent)
    : QObject(parent)
    , m_clipboard(QGuiApplication::clipboard()) {
    // Any change that is not our own put() means someone else has the clipboard now. The
    // platforms report our own change while setText() runs and only then.
    connect(m_clipboard, &QClipboard::dataChanged, this, [this] {
        if (!m_putting)
            m_ours = false;
    });
}

void EditorClipboard::put(const QString& text) {
    m_putting = true;
    m_clipboard->setText(text, QClipboard::Clipboard);
    m_putting = false;
    m_put = text;
    m_ours = true;
}

QString EditorClipboard::text() const {
    return m_clipboard->text(QClipboard::Clipboard);
}

bool EditorClipboard::holdsOurText() const {
    if (!m_ours)
        return false;
    const QMimeData* data = m_clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText() || data->hasImage() || data->hasUrls() || data->hasHtml())
        return false;
    return data->text() == m_put;
}

bool EditorClipboard::emptyIfOurs() {
    if (!holdsOurText())
        return false;
    m_putting = true;
    m_clipboard->clear(QClipboard::Clipboard);
    m_putting = false;
    m_ours = false;
    return true;
}
