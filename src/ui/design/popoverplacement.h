#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Tolvan {

// Where a popover hangs: left-aligned with its anchor and 4 pixels below it,
// pushed left to stay inside the available area but never past its left
// edge, and above the anchor when there is no room below. Screen coordinates.
class PopoverPlacement {
public:
    static constexpr int gap = 4;

    static QPoint topLeft(const QRect &anchor, const QSize &size, const QRect &available);
};

} // namespace Tolvan
