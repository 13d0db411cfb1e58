#pragma once

#include <QMargins>
#include <QWidget>

// A top-level window of the program: fixed frame without title-bar buttons, the common font,
// and the window operations every window shares (show runs the show handler first; close runs
// the close handler, then hides). Windows are created once and never destroyed while the
// program runs. A window's controls are made when it is first shown, so a window a session never
// opens costs start-up nothing but its folders.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(const QString& caption, QWidget* parent = nullptr);

    // Shows the window and brings it to the front. A hidden window's show handler runs first;
    // a window that is already visible is only brought to the front. A minimised window comes
    // back as it was.
    void showForm();

    // Runs the close handler, then hides the window.
    void closeForm();

    // Makes the window's controls now, if they are not made yet (showing the window does it
    // first).
    void makeControls();
    bool controlsMade() const { return m_controlsMade; }

    void setVisible(bool visible) override;

protected:
    // Makes the controls, once; a window whose creation handler read something before the
    // controls were there puts it into them here.
    virtual void buildControls() {}
    virtual void FormShow() {}
    virtual void FormClose() {}
    // Whether a close request from the window system (the title bar's close, Alt+F4) is to do
    // nothing at all just now. The window's own closes are never refused.
    virtual bool refusesWindowSystemClose() const { return false; }

    // Pins the client area to this size.
    void setClientSize(int width, int height);
    // The first showing places the window, with its frame, in the middle of the screen;
    // later ones keep its place.
    void centreWhenFirstShown() { m_centreOnFirstShow = true; }
    // What a window that covers the work area does on its later showings.
    enum class LaterShows {
        KeepFirstSize, // keep the size the first showing pinned, frame at the work area's corner
        FillAgain,     // fill the work area as it is now (a panel added, another resolution)
    };
    // For the windows that cover the work area, first in their show handlers: the first
    // showing makes the outer frame fill the work area and pins the client size that results;
    // later showings do as `later` says.
    void fillWorkArea(LaterShows later = LaterShows::KeepFirstSize);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The frame this window gets: the one it had, else the window manager's answer, else the
    // platform's, else the frame any window of the program was given, else none.
    QMargins expectedFrame();
    // The frame the window manager actually drew, once the window is on screen; null before.
    QMargins drawnFrame() const;
    QRect workArea() const;
    void checkDrawnFrame();

    bool m_controlsMade = false;
    bool m_centreOnFirstShow = false;
    bool m_fillsWorkArea = false;
    bool m_shownBefore = false;
    bool m_frameKnown = false;
    bool m_checkFrameWhenPainted = false;
    // The frame the window was placed for; the one drawn once m_frameKnown.
    QMargins m_frame;
};
