#pragma once

#include <QLabel>

// The "+" label of the textbook's tab strip: a left-button click on it opens a tab.
class PlusLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
