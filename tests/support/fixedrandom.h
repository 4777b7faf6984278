#pragma once

#include "game/randomsource.h"

#include <cmath>

// Returns a fixed r and counts the reseeds.
class FixedRandomSource final : public LabelClicker::RandomSource
{
public:
    explicit FixedRandomSource(double r = 0.0) : value(r) {}
    void reseedFromClock() override { ++reseeds; }
    double next() override { return value; }

    double value;
    int reseeds = 0;
};

inline const double kJustBelowOne = std::nextafter(1.0, 0.0);
