#include "app/ScreenFit.h"

#include <algorithm>

QSize FitOuterSize(QSize outer, const QRect& area) {
    if (area.isEmpty()) {
        return outer;
    }
    return outer.boundedTo(area.size());
}

QPoint FitCorner(QPoint corner, QSize size, const QRect& area) {
    if (area.isEmpty()) {
        return corner;
    }
    // Computed in 64 bits: a damaged file may hold any corner.
    auto fit = [](int at, int extent, int low, int span) {
        const long long high = static_cast<long long>(low) + span - extent;
        return static_cast<int>(std::max<long long>(low, std::min<long long>(at, high)));
    };
    return QPoint(fit(corner.x(), size.width(), area.left(), area.width()),
                  fit(corner.y(), size.height(), area.top(), area.height()));
}
