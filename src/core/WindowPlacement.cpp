#include "WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QRect filling(const QRect& workArea, const QMargins& frame) {
    return workArea.marginsRemoved(frame);
}

QRect centred(const QRect& screen, const QRect& workArea, const QSize& client,
              const QMargins& frame) {
    QRect outer(QPoint(), client.grownBy(frame));
    outer.moveCenter(screen.center());
    // A frame larger than the work area keeps its top-left corner visible: the title bar is
    // what the user needs to reach.
    const int left =
        std::max(workArea.left(), std::min(outer.left(), workArea.right() + 1 - outer.width()));
    const int top =
        std::max(workArea.top(), std::min(outer.top(), workArea.bottom() + 1 - outer.height()));
    outer.moveTopLeft(QPoint(left, top));
    return outer.marginsRemoved(frame);
}

} // namespace WindowPlacement
