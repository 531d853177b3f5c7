#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Remembered window places fitted to the screen as it is now: a size stored on a larger
// screen, a corner left on a monitor that is gone or a damaged parameter file must never
// put a window out of reach.

// The outer size of a restored window, no larger than the available area.
QSize FitOuterSize(QSize outer, const QRect& area);

// The top-left corner of a window of `size` at `corner`, moved as little as possible so
// that the window lies within `area`; a window larger than the area gets the area's
// top-left corner.
QPoint FitCorner(QPoint corner, QSize size, const QRect& area);
