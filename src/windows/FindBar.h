#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class BrowserView;

// The textbook's find bar (Ctrl+F): a line for the text, "next" and "previous", and what was
// found. It searches the page of the active tab; Escape closes it and clears the marks.
class FindBar : public QFrame {
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent);

    // Where to search: the active tab's page, or null when there is none.
    void setPageSource(std::function<BrowserView*()> source) { m_source = std::move(source); }

    // Shows the bar with its text selected and the keyboard in it.
    void open();
    // Hides the bar and clears the marks in the page it searched.
    void dismiss();

    void findNext();
    void findPrevious();

    QLineEdit* edtFind = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblFound = nullptr;

    static constexpr int kWidth = 330;
    static constexpr int kHeight = 32;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void find(bool backward);

    std::function<BrowserView*()> m_source;
};
