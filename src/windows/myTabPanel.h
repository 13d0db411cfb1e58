#pragma once

#include "BrowserView.h"

#include <QColor>
#include <QLabel>
#include <QPointer>

// The close label "x" of a tab header. It reports the release of any mouse button that was
// pressed on it to its release handler, which the window sets.
class TmyCloseLabel : public QLabel {
    Q_OBJECT

public:
    explicit TmyCloseLabel(QWidget* owner);

    int Tag = 0;

signals:
    // The release of a mouse button pressed on the label, where it was released.
    void mouseUp(TmyCloseLabel* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                 int y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A tab header in the textbook's tab strip: a 100 x 40 panel with a caption, an empty picture box
// "Img" at the left and the close label "but" at the top right. It holds its tab's browser view
// and destroys it with itself.
class TmyTabPanel : public QLabel {
    Q_OBJECT

public:
    // Create: the panel with its picture box.
    explicit TmyTabPanel(QWidget* owner);
    // Destroy: the browser view, then the close label, then the picture box, then the panel.
    ~TmyTabPanel() override;

    // Makes the close label; the caller has set the header's width and Tag.
    void Start();
    // The close label's first release handler; does nothing.
    void ClosePage(TmyCloseLabel* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                   int x, int y);

    BrowserView* GetBros() const { return m_browser.data(); }
    void SetBrows(BrowserView* browser) { m_browser = browser; }

    // Takes the header out of sight at once and destroys its browser view; the header itself
    // (with the close label whose event may be running) goes when control is back in the event
    // loop.
    void closeSoon();

    // Shows `caption` on the header; one that does not fit is given whole as the tool tip.
    void setCaption(const QString& caption);

    // The panel's background colour.
    QColor color() const { return m_color; }
    void setColor(const QColor& colour);

    QLabel* Img = nullptr;
    TmyCloseLabel* but = nullptr;
    int Tag = 0;

signals:
    // A left-button click on the panel itself (not on its picture box or its close label).
    void clicked(TmyTabPanel* sender);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Guarded: at the end of the program the content panel may take the view down first.
    QPointer<BrowserView> m_browser;
    QColor m_color;
    bool m_pressed = false;
};
