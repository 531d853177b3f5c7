#include "viewer/StillFrame.h"

#include <algorithm>

#include "viewer/StillFrameSeries.h"

Result<> RenderStillFrame(const StillFrame& frame, std::vector<uint8_t>& rgba) {
    StillFrameSeries series;
    return series.Draw(frame, rgba);
}

Result<ImpostorAtlas> RenderImpostorAtlas(const TreeModel&, const TreeParams&,
                                          const ImpostorFrame& frame, int cellHeight) {
    // Placeholder until the views are drawn: a transparent atlas of the right size.
    ImpostorAtlas atlas;
    const float shape = (2.0f * frame.halfWidth) / std::max(frame.top - frame.bottom, 1e-6f);
    atlas.height = cellHeight;
    atlas.width = frame.views * std::max(1, static_cast<int>(cellHeight * shape));
    atlas.rgba.assign(static_cast<size_t>(atlas.width) * atlas.height * 4, 0);
    return atlas;
}
