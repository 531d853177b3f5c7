#include "mesh/TreeWind.h"

#include <cmath>
#include <numbers>

WindSway WindSwayAt(double seconds) {
    const double loop = std::fmod(seconds, WindPeriodSeconds) / WindPeriodSeconds;
    const double turn = 2.0 * std::numbers::pi * loop;
    return {std::sin(turn), 0.35 * std::sin(2.0 * turn)};
}
