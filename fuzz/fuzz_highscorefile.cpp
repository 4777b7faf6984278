// Any bytes must parse without fault, and what serialize writes must read back unchanged.
#include "scores/format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace Scores;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    const QStringList first = parse(bytes);
    // The loaded order must be the one that new entries are inserted by.
    if (!std::is_sorted(first.cbegin(), first.cend(), lessThan))
        __builtin_trap();

    const QByteArray written = serialize(first);
    const QStringList second = parse(written);
    if (second != first || serialize(second) != written)
        __builtin_trap();
    return 0;
}
