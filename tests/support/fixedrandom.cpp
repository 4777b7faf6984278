#include "tests/support/fixedrandom.h"

double FixedRandomSource::next()
{
    if (queued.empty()) {
        return value;
    }
    const double r = queued.front();
    queued.pop_front();
    return r;
}
