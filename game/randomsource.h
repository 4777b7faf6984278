#pragma once

#include <cstdint>
#include <random>

namespace LabelClicker {

// A uniform random number r with 0 <= r < 1, reseeded from the clock before every draw
// of the secret code and of the key-peg order.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    virtual double next() = 0;
};

// The game's generator. Reseeding mixes a nanosecond clock reading into the running state
// instead of replacing it, so four reseeds within one clock tick still give four independent
// draws: a generator reset to the same clock value would repeat the same r each time.
class ClockRandomSource final : public RandomSource
{
public:
    ClockRandomSource();
    void reseedFromClock() override;
    double next() override;

private:
    std::mt19937_64 m_engine;
};

// The integer part of r * n, kept below n even if the product rounds up to n.
// n = 0 gives 0.
int scaledDraw(double r, int n);

} // namespace LabelClicker
