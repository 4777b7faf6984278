#pragma once

#include "game/randomsource.h"

#include <cmath>
#include <deque>

// Returns a fixed r (or a queue of them, then the fixed one) and counts the reseeds.
class FixedRandomSource final : public LabelClicker::RandomSource
{
public:
    explicit FixedRandomSource(double r = 0.0) : value(r) {}
    void reseedFromClock() override { ++reseeds; }
    double next() override;

    double value;
    std::deque<double> queued;
    int reseeds = 0;
};

inline const double kJustBelowOne = std::nextafter(1.0, 0.0);
