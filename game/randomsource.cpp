#include "game/randomsource.h"

#include <chrono>

namespace LabelClicker {
namespace {

std::uint64_t clockReading()
{
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

// SplitMix64 finaliser: spreads the few changing low bits of a clock reading over all 64.
std::uint64_t mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

} // namespace

ClockRandomSource::ClockRandomSource()
{
    std::random_device device;
    std::seed_seq seed{device(), device(), static_cast<unsigned>(clockReading()),
                       static_cast<unsigned>(clockReading() >> 32)};
    m_engine.seed(seed);
}

void ClockRandomSource::reseedFromClock()
{
    m_engine.seed(m_engine() ^ mix(clockReading()));
}

double ClockRandomSource::next()
{
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

int scaledDraw(double r, int n)
{
    if (n <= 0) {
        return 0;
    }
    const int x = static_cast<int>(r * n);
    return x < n ? x : n - 1;
}

} // namespace LabelClicker
