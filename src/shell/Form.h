#pragma once

#include <QWidget>

// A top-level window of the program: fixed frame without title-bar buttons, the common font,
// and the window operations every window shares (show runs the show handler first; close runs
// the close handler, then hides). Windows are created once and never destroyed while the
// program runs.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(const QString& caption, QWidget* parent = nullptr);

    // Shows the window and brings it to the front. A hidden window's show handler runs first;
    // a window that is already visible is only brought to the front.
    void showForm();

    // Runs the close handler, then hides the window.
    void closeForm();

protected:
    virtual void FormShow() {}
    virtual void FormClose() {}

    // Pins the client area to this size.
    void setClientSize(int width, int height);
    // Places the window in the middle of the screen's work area.
    void centreOnScreen();
    // The first showing places the window in the middle of the screen; later ones keep its place.
    void centreWhenFirstShown() { m_centreOnFirstShow = true; }

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool m_centreOnFirstShow = false;
    bool m_shownBefore = false;
};
