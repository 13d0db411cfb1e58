#include "TeacherLayout.h"

#include "WorkArea.h"

namespace {

constexpr int kEditorLeft = 128;
constexpr int kTreeWidth = 177;
constexpr int kReportLeft = 176; // the report view overlaps the tree's right border by a pixel
constexpr int kButtonWidth = 121;
constexpr int kButtonHeight = 25;

// A button that keeps the distance between its top and the page's bottom edge that it had in
// the design.
QRect bottomButton(const QSize& page, int designTop) {
    const int fromBottom = TeacherLayout::kDesignPage.height() - designTop;
    return QRect(0, page.height() - fromBottom, kButtonWidth, kButtonHeight);
}

} // namespace

TeacherLayout TeacherLayout::forPage(const QSize& page) {
    TeacherLayout l;
    const int w = page.width();
    const int h = page.height();
    // The memos and the tree reach the page's edges, so that their scroll bars stay in sight.
    l.lbl3 = QRect(kEditorLeft, h - kStatusHeight, qMax(0, w - kEditorLeft), kStatusHeight);
    l.mmo1 = QRect(kEditorLeft, 0, qMax(0, w - kEditorLeft), qMax(0, h - kStatusHeight));
    l.openfile = bottomButton(page, 541);
    l.btn1 = bottomButton(page, 572);
    l.btn2 = bottomButton(page, 602);
    l.tv1 = QRect(0, 0, kTreeWidth, h);
    l.mmo2 = QRect(kReportLeft, 0, qMax(0, w - kReportLeft), h);
    return l;
}

QPoint TeacherLayout::panelPlace(const QSize& client) {
    const double left = client.width() / 2.0 - kPanel.width() / 2.0;
    const double top = client.height() / 2.0 - kPanel.height() / 2.0;
    return QPoint(WorkArea::roundHalfEven(left), WorkArea::roundHalfEven(top));
}
