#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the teacher's window puts its controls. The pages were drawn 953 × 633; the controls
// that follow the page's edges keep their distances to them at any page size.
struct TeacherLayout {
    // Editor page: the memo, the status line under it, and the three buttons that keep their
    // distance to the bottom edge.
    QRect mmo1;
    QRect lbl3;
    QRect openfile;
    QRect btn1;
    QRect btn2;
    // Report page: the tree on the left, the report view beside it.
    QRect tv1;
    QRect mmo2;

    static TeacherLayout forPage(const QSize& page);

    // Both request panels are this size.
    static constexpr QSize kPanel{300, 89};

    // The panels' place within the editor page for the window's client size: half the client
    // size less half the panel's, each rounded to the nearest integer, halves to the even one.
    static QPoint panelPlace(const QSize& client);

    static constexpr QSize kDesignClient{961, 661};
    static constexpr QSize kDesignPage{953, 633};
    static constexpr int kStatusHeight = 20;
};
