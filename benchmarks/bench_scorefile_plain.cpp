// Reference timings for the high-score file done in plain C++ with no Qt, to judge
// what the Qt version costs. Usage:
//   bench_scorefile_plain --generate N PATH   write N random sorted entries to PATH
//   bench_scorefile_plain PATH [RUNS]          time reading+sorting and writing PATH
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool lessNoCase(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) <
               static_cast<unsigned char>(lowerAscii(y));
    });
}

bool readFile(const std::string &path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    return static_cast<bool>(in.read(bytes.data(), size));
}

// Lines end at CR LF, a lone CR or a lone LF; the writer's closing empty line is dropped.
std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        lines.emplace_back(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

bool writeFile(const std::string &path, const std::vector<std::string> &entries)
{
    std::size_t size = 2;
    for (const std::string &entry : entries)
        size += entry.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string &entry : entries) {
        bytes += entry;
        bytes += "\r\n";
    }
    bytes += "\r\n";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

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
    std::stable_sort(entries.begin(), entries.end(), lessNoCase);
    if (!writeFile(path, entries)) {
        std::cerr << "cannot write " << path << '\n';
        return 1;
    }
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
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
        auto start = std::chrono::steady_clock::now();
        std::string bytes;
        if (!readFile(path, bytes)) {
            std::cerr << "cannot read " << path << '\n';
            return 1;
        }
        std::vector<std::string> entries = splitLines(bytes);
        std::stable_sort(entries.begin(), entries.end(), lessNoCase);
        readTimes.push_back(msSince(start));
        entryCount = entries.size();

        start = std::chrono::steady_clock::now();
        if (!writeFile(copyPath, entries)) {
            std::cerr << "cannot write " << copyPath << '\n';
            return 1;
        }
        writeTimes.push_back(msSince(start));
    }
    std::remove(copyPath.c_str());

    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(2);
    out << "plain C++ read+sort: median " << median(readTimes) << " ms (" << entryCount
        << " entries, " << runs << " runs)\n"
        << "plain C++ write: median " << median(writeTimes) << " ms\n";
    std::cout << out.str();
    return 0;
}
