#include "popoverplacement.h"

#include <algorithm>

namespace Tolvan {

QPoint PopoverPlacement::topLeft(const QRect &anchor, const QSize &size, const QRect &available)
{
    // QRect's right() and bottom() are the last pixel inside; edges are one past.
    const int areaRight = available.x() + available.width();
    const int areaBottom = available.y() + available.height();
    const int x = std::max(available.x(), std::min(anchor.x(), areaRight - size.width()));
    int y = anchor.y() + anchor.height() + gap;
    if (y + size.height() > areaBottom) {
        y = std::max(anchor.y() - gap - size.height(), available.y());
    }
    return {x, y};
}

} // namespace Tolvan
