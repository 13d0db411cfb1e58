#pragma once

#include <QPoint>
#include <QRect>

// Where the textbook window's controls go for a given client size. forClient() is the layout of
// every show (the tree beside the content panel); folded() is what folding the tree away changes.
struct TextbookLayout {
    // Design sizes of the controls that the layout only moves.
    static constexpr int kTreeWidth = 200;   // tv1
    static constexpr int kFoldWidth = 33;    // btn1
    static constexpr int kFoldHeight = 25;   // btn1
    static constexpr int kBarHeight = 49;    // pnl1
    static constexpr int kButtonHeight = 33; // btn2, btn3, btn4, btn6, Button1
    static constexpr int kWideButton = 169;  // btn2, btn3, btn4
    static constexpr int kNarrowButton = 75; // btn6, Button1
    static constexpr int kListWidth = 185;   // pnl2, pnl3
    static constexpr int kListHeight = 305;  // pnl2, pnl3
    static constexpr int kStripHeight = 40;  // pnl4

    QRect tv1;     // topic tree
    QRect btn1;    // fold button
    QRect pgc1;    // content panel
    QRect pnl4;    // tab strip, in pgc1
    QRect pnl1;    // button bar
    QRect btn2;    // "Тесты", in pnl1
    QRect btn3;    // "Мультимедиа", in pnl1
    QRect btn4;    // "Презентации", in pnl1
    QRect btn6;    // "Обновить", in pnl1
    QRect Button1; // "Выход", in pnl1
    QRect pnl2;    // presentations panel
    QRect pnl3;    // video panel
    int tabCapacity = 0;

    // The show layout for a client area of width x height.
    static TextbookLayout forClient(int width, int height);

    // Folding the tree away: the content panel covers the whole client area and the fold button
    // moves to the left edge at the height the show layout gave it.
    static QRect foldedContent(int width, int height) { return QRect(0, 0, width, height); }
    static QPoint foldedButton(const QRect& shownButton) { return QPoint(0, shownButton.top()); }

    // Unfolding: the content panel back beside the tree, above the button bar.
    static QRect unfoldedContent(int width, int height);
    static int unfoldedButtonLeft();
};
