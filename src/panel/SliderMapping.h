#pragma once

#include "model/TreeParams.h"

// The panel's vertical slider has positions 0 to SliderSteps; position 0 is its top
// end and stands for the row's maximum, SliderSteps its bottom end and the minimum.
inline constexpr int SliderSteps = 1000;

// The slider position that shows `value` within the row's range: the distance from the
// maximum in thousandths of the range, truncated toward zero and kept inside 0..1000.
int ValueToSliderPos(const ParamEntry& row, float value);

// The parameter value a slider position stands for. The ends give the row's maximum and
// minimum exactly, so a value set at either end always passes the row's range check.
float SliderPosToValue(const ParamEntry& row, int pos);
