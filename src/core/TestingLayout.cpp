#include "TestingLayout.h"

#include "WorkArea.h"

namespace {
constexpr int kPanelWidth = 449, kPanelHeight = 201;
constexpr int kListWidth = 200;
constexpr int kViewHeight = 273;
constexpr int kAnswerWidth = 417, kAnswerHeight = 49;
constexpr int kFinishWidth = 131, kButtonHeight = 25;
constexpr int kExitWidth = 75;
constexpr int kRestartWidth = 115;
} // namespace

TestingLayout TestingLayout::forClient(int cw, int ch) {
    using WorkArea::roundHalfEven;
    TestingLayout l;
    l.pnl1 = QRect(roundHalfEven(cw / 2.0 - kPanelWidth / 2.0),
                   roundHalfEven(ch / 2.0 - kPanelHeight / 2.0), kPanelWidth, kPanelHeight);
    l.lst1 = QRect(cw - 5 - kListWidth, 5, kListWidth, ch - 10);
    l.mmo1 = QRect(5, 5, cw - 5 - kListWidth - 10, kViewHeight);
    l.pnl2 = QRect(5, l.mmo1.top() + kViewHeight + 5, kAnswerWidth, kAnswerHeight);
    l.btn7 = QRect(cw - 5 - kListWidth - kFinishWidth - 5, ch - kButtonHeight - 5, kFinishWidth,
                   kButtonHeight);
    l.btn9 = QRect(cw - 5 - kExitWidth - 5, ch - 5 - kButtonHeight, kExitWidth, kButtonHeight);
    l.btn8 = QRect(cw - 5 - kRestartWidth - 5, ch - 5 - kButtonHeight - 5 - kButtonHeight,
                   kRestartWidth, kButtonHeight);
    return l;
}
