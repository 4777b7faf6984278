// The high-score file handled in plain C++ with no Qt, as a yardstick for the Qt code: read,
// split at line ends, sorted ignoring case (stable, as the game's sort is) and written back.
// Shared by the benchmarks that compare against it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace plain {

using Clock = std::chrono::steady_clock;

inline double msBetween(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

inline double msSince(Clock::time_point start)
{
    return msBetween(start, Clock::now());
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool lessNoCase(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) <
               static_cast<unsigned char>(lowerAscii(y));
    });
}

inline void sortNoCase(std::vector<std::string> &lines)
{
    std::stable_sort(lines.begin(), lines.end(), lessNoCase);
}

inline bool readFile(const std::string &path, std::string &bytes)
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
// Replaces what lines held, keeping its storage.
inline void splitLines(std::string_view bytes, std::vector<std::string> &lines)
{
    lines.clear();
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
}

inline std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    splitLines(bytes, lines);
    return lines;
}

// The file's bytes: every line ended by CR LF, then one empty line.
inline std::string serialize(const std::vector<std::string> &lines)
{
    std::size_t size = 2;
    for (const std::string &line : lines)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string &line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    bytes += "\r\n";
    return bytes;
}

inline bool writeFile(const std::string &path, const std::vector<std::string> &lines)
{
    const std::string bytes = serialize(lines);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace plain
