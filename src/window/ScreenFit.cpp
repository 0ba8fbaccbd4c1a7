#include "window/ScreenFit.h"

#include <QtGlobal>

namespace ScreenFit {

Result fit(const Layout& layout, const QMargins& frame, const QSize& available) {
    const int roomW = qMax(1, available.width() - frame.left() - frame.right());
    const int roomH = qMax(1, available.height() - frame.top() - frame.bottom());
    Result r;
    const int over = layout.client.height() - roomH;
    r.shrink = qBound(0, over, qMax(0, layout.giveWay - layout.minGiveWay));
    r.client =
        QSize(qMin(layout.client.width(), roomW), qMin(layout.client.height() - r.shrink, roomH));
    return r;
}

} // namespace ScreenFit
