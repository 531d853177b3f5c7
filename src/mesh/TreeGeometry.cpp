#include "mesh/TreeGeometry.h"

std::array<float, 2> RingCorner(const RingStep& step, const Segment& segment) {
    const float w = step.xWidth == RingStep::Radius ? segment.radius : segment.halfRadius;
    const float x = step.xSign < 0.0f ? -w : w;
    if (step.zSign == 0.0f) {
        return {x, 0.0f};
    }
    return {x, step.zSign < 0.0f ? -segment.hexHeight : segment.hexHeight};
}

std::array<float, 3> TopRingVertex(const Segment& segment, float a, float b) {
    const double sinT = segment.sinTwist, cosT = segment.cosTwist;
    const double sinE = segment.sinExpand, cosE = segment.cosExpand;
    const double len = segment.length;
    const double p = a * cosT - b * sinT;
    const double q = a * sinT + b * cosT;
    const double r = p * cosE - len * sinE;
    return {static_cast<float>(r * cosT + q * sinT), static_cast<float>(p * sinE + len * cosE),
            static_cast<float>(q * cosT - r * sinT)};
}

std::array<float, 4> LeafAmbient(float jitter) {
    const double b = (static_cast<double>(jitter) - 1.0) * 0.05;
    return {static_cast<float>(0.47 + b), static_cast<float>(0.552 - b), 0.0f, 1.0f};
}
