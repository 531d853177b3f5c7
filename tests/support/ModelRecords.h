#pragma once

#include <memory>

#include "model/TreeModel.h"

// A segment with the given length, radius and angles (degrees), for tests that build a
// structure by hand.
inline std::unique_ptr<Segment> MakeSegment(float length, float radius, double expand = 0.0,
                                            double twist = 0.0) {
    auto s = std::make_unique<Segment>();
    s->length = length;
    s->setRadius(radius);
    s->setExpand(expand);
    s->setTwist(twist);
    return s;
}
