#include "panel/SliderMapping.h"

int ValueToSliderPos(const ParamEntry& row, float value) {
    const double lo = row.minimum;
    const double hi = row.maximum;
    const double pos = (1.0 - (static_cast<double>(value) - lo) / (hi - lo)) * SliderSteps;
    // Out-of-range values pin the thumb to the nearer end, and a value that is not a
    // number to the top, instead of producing an undefined conversion.
    if (!(pos > 0.0))
        return 0;
    if (pos >= SliderSteps)
        return SliderSteps;
    return static_cast<int>(pos);
}

float SliderPosToValue(const ParamEntry& row, int pos) {
    if (pos <= 0)
        return row.maximum;
    if (pos >= SliderSteps)
        return row.minimum;
    const double lo = row.minimum;
    const double hi = row.maximum;
    const double v = lo + (SliderSteps - pos) * (hi - lo) * 0.001;
    const float f = static_cast<float>(v);
    // Rounding to single precision must not step outside the range either.
    if (f > row.maximum)
        return row.maximum;
    if (f < row.minimum)
        return row.minimum;
    return f;
}
