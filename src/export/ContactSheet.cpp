#include "export/ContactSheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "export/LabelFont.h"

SheetLayout LayOutSheet(int count, int cellWidth, int cellHeight, int maxSide) {
    SheetLayout layout;
    count = std::max(count, 1);
    while (layout.columns * layout.columns < count) {
        ++layout.columns;
    }
    layout.rows = (count + layout.columns - 1) / layout.columns;
    const double scale = std::min({1.0, static_cast<double>(maxSide) / (layout.columns * cellWidth),
                                   static_cast<double>(maxSide) / (layout.rows * cellHeight)});
    layout.cellWidth = std::max(1, static_cast<int>(std::floor(cellWidth * scale + 1e-9)));
    layout.cellHeight = std::max(1, static_cast<int>(std::floor(cellHeight * scale + 1e-9)));
    // Rounding never takes a side past the limit: a cell of 1 pixel always fits it.
    layout.cellWidth = std::min(layout.cellWidth, std::max(1, maxSide / layout.columns));
    layout.cellHeight = std::min(layout.cellHeight, std::max(1, maxSide / layout.rows));
    return layout;
}

ContactSheet::ContactSheet(const SheetLayout& layout) : layout_(layout) {
    picture_.width = layout.Width();
    picture_.height = layout.Height();
    picture_.channels = 3;
    picture_.pixels.assign(static_cast<size_t>(picture_.width) * picture_.height * 3, EmptyGrey);
}

void ContactSheet::Place(int index, const RasterImage& cell, const std::string& label) {
    if (index < 0 || index >= layout_.columns * layout_.rows || cell.channels != 3 ||
        cell.width != layout_.cellWidth || cell.height != layout_.cellHeight) {
        return;
    }
    // Labelled in a copy of its own, so that nothing of the label spills into a neighbour.
    RasterImage labelled = cell;
    // A font pixel of 3 in a cell of the viewer's size (letters 21 pixels high, legible
    // on a sheet shown scaled down), as much more in larger cells, less where the label
    // would not fit; a cell too small for it even so goes without.
    const auto fits = [&cell, &label](int scale) {
        const int margin = 3 * scale;
        return LabelWidth(label, scale) + 2 * margin <= cell.width &&
               LabelHeight(scale) + 2 * margin <= cell.height / 2;
    };
    int scale = std::max(1, cell.height / 110);
    while (scale > 1 && !fits(scale)) {
        --scale;
    }
    if (fits(scale)) {
        DrawLabel(labelled, cell.width - 3 * scale, cell.height - 3 * scale, label, scale);
    }
    const int left = (index % layout_.columns) * layout_.cellWidth;
    const int top = (index / layout_.columns) * layout_.cellHeight;
    const size_t rowBytes = static_cast<size_t>(cell.width) * 3;
    for (int y = 0; y < cell.height; ++y) {
        std::memcpy(picture_.pixels.data() +
                        (static_cast<size_t>(top + y) * picture_.width + left) * 3,
                    labelled.pixels.data() + y * rowBytes, rowBytes);
    }
}
