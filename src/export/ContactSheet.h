#pragma once

#include <string>

#include "export/PngEncoder.h"

// Many pictures of one size side by side in one picture, each labelled: the trees of
// --variants, to pick from.

// Where the cells go: as many columns as the square root of their count, rounded up, and
// the rows they fill, each cell `cellWidth` x `cellHeight` pixels. Cells that would make
// the sheet larger than `maxSide` on a side are scaled down, all alike and keeping their
// shape, so that it fits.
struct SheetLayout {
    int columns = 1;
    int rows = 1;
    int cellWidth = 1;
    int cellHeight = 1;

    int Width() const { return columns * cellWidth; }
    int Height() const { return rows * cellHeight; }
};
SheetLayout LayOutSheet(int count, int cellWidth, int cellHeight, int maxSide);

// An RGB picture of the layout's size, the cells filled in one by one, row by row from
// the top left; cells left empty stay a dark grey.
class ContactSheet {
public:
    explicit ContactSheet(const SheetLayout& layout);

    // Copies `cell` (RGB, the layout's cell size) into cell `index` and writes `label`
    // over its lower right corner.
    void Place(int index, const RasterImage& cell, const std::string& label);

    const SheetLayout& Layout() const { return layout_; }
    const RasterImage& Picture() const { return picture_; }

    // The grey of an empty cell.
    static constexpr uint8_t EmptyGrey = 48;

private:
    SheetLayout layout_;
    RasterImage picture_;
};
