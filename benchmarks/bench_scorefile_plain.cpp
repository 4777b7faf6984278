// Reference timings for the high-score file done in plain C++ with no Qt, to judge
// what the Qt version costs. Usage:
//   bench_scorefile_plain --generate N PATH   write N random sorted entries to PATH
//   bench_scorefile_plain PATH [RUNS]          time reading+sorting and writing PATH
#include "plainscorefile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

int generate(long count, const std::string &path)
{
    std::mt19937 random(20240611u); // fixed, so every run times the same file
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        std::string name(1, letters[random() % letters.size()]);
        const std::size_t length = 1 + random() % 20;
        while (name.size() < length) {
            const bool space = name.back() != ' ' && name.size() + 1 < length && random() % 6 == 0;
            name += space ? ' ' : letters[random() % letters.size()];
        }
        entries.push_back(std::to_string(4 + random() % 162) + " - " + name);
    }
    plain::sortNoCase(entries);
    if (!plain::writeFile(path, entries)) {
        std::cerr << "cannot write " << path << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--generate")
        return generate(std::atol(args[1].c_str()), args[2]);
    if (args.empty() || args.size() > 2 || args[0].rfind("--", 0) == 0) {
        std::cerr << "usage: bench_scorefile_plain --generate N PATH | PATH [RUNS]\n";
        return 2;
    }

    const std::string &path = args[0];
    const int runs = std::max(11, args.size() == 2 ? std::atoi(args[1].c_str()) : 11);
    const std::string copyPath = path + ".plain-bench.tmp";
    std::vector<double> readTimes, writeTimes;
    std::size_t entryCount = 0;
    for (int run = 0; run < runs; ++run) {
        plain::Clock::time_point start = plain::Clock::now();
        std::string bytes;
        if (!plain::readFile(path, bytes)) {
            std::cerr << "cannot read " << path << '\n';
            return 1;
        }
        std::vector<std::string> entries = plain::splitLines(bytes);
        plain::sortNoCase(entries);
        readTimes.push_back(plain::msSince(start));
        entryCount = entries.size();

        start = plain::Clock::now();
        if (!plain::writeFile(copyPath, entries)) {
            std::cerr << "cannot write " << copyPath << '\n';
            return 1;
        }
        writeTimes.push_back(plain::msSince(start));
    }
    std::remove(copyPath.c_str());

    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(2);
    out << "plain C++ read+sort: median " << plain::median(readTimes) << " ms (" << entryCount
        << " entries, " << runs << " runs)\n"
        << "plain C++ write: median " << plain::median(writeTimes) << " ms\n";
    std::cout << out.str();
    return 0;
}
