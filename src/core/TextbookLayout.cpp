#include "TextbookLayout.h"

#include "TabStrip.h"
#include "WorkArea.h"

using WorkArea::roundHalfEven;

QRect TextbookLayout::unfoldedContent(int width, int height) {
    return QRect(kTreeWidth, 0, width - kTreeWidth, height - kBarHeight);
}

int TextbookLayout::unfoldedButtonLeft() {
    return kTreeWidth - roundHalfEven(kFoldWidth / 2.0);
}

TextbookLayout TextbookLayout::forClient(int width, int height) {
    TextbookLayout l;
    l.tv1 = QRect(0, 0, kTreeWidth, height);
    l.btn1 = QRect(unfoldedButtonLeft(), roundHalfEven(height / 2.0 - kFoldHeight / 2.0),
                   kFoldWidth, kFoldHeight);
    l.pgc1 = unfoldedContent(width, height);
    l.pnl4 = QRect(0, 0, l.pgc1.width(), kStripHeight);
    l.pnl1 = QRect(l.pgc1.left(), height - kBarHeight, l.pgc1.width(), kBarHeight);

    // The wide buttons keep their design lefts; "Обновить" and "Выход" keep their distance to
    // the bar's right edge (161 and 81 pixels, as in the design bar of 705).
    const int top = roundHalfEven(kBarHeight / 2.0 - kButtonHeight / 2.0);
    l.btn2 = QRect(16, top, kWideButton, kButtonHeight);
    l.btn3 = QRect(200, top, kWideButton, kButtonHeight);
    l.btn4 = QRect(384, top, kWideButton, kButtonHeight);
    l.btn6 = QRect(l.pnl1.width() - 161, 8, kNarrowButton, kButtonHeight);
    l.Button1 = QRect(l.pnl1.width() - 81, 8, kNarrowButton, kButtonHeight);

    // Each list panel stands right above its button.
    l.pnl2 =
        QRect(l.pgc1.left() + l.btn4.left(), l.pnl1.top() - kListHeight, kListWidth, kListHeight);
    l.pnl3 = QRect(l.pgc1.left() + l.btn3.left(), l.pnl2.top(), kListWidth, kListHeight);

    l.tabCapacity = TabStrip<void>::capacityFor(l.pnl4.width());
    return l;
}
