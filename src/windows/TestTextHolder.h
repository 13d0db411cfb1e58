#pragma once

#include <QStringList>
#include <QWidget>

// The testing window's hidden test text: the variant's lines, read and written by index. It is
// never shown, so it keeps plain lines instead of a laid-out document; a variant of tens of
// thousands of lines then loads in a blink.
class TestTextHolder : public QWidget {
    Q_OBJECT

public:
    explicit TestTextHolder(QWidget* parent = nullptr);

    QStringList& lines() { return m_lines; }
    const QStringList& lines() const { return m_lines; }
    void setLines(const QStringList& lines) { m_lines = lines; }

    // The whole text with "\n" between the lines, as a text control would give it.
    QString toPlainText() const { return m_lines.join(QLatin1Char('\n')); }
    void clear() { m_lines.clear(); }

private:
    QStringList m_lines;
};
