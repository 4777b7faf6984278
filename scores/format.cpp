#include "scores/format.h"

#include <algorithm>
#include <array>
#include <vector>

namespace Scores {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';

// Writes the Latin-1 form of text to out and returns the number of bytes written (never more
// than text.size()). A surrogate pair gives a single '?'.
qsizetype encodeInto(const QString &text, char *out)
{
    const QChar *chars = text.constData();
    const qsizetype size = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (unit < 0x100 && unit != u'\r' && unit != u'\n') {
            out[written++] = char(unit);
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < size && chars[i + 1].isLowSurrogate())
            ++i;
        out[written++] = '?';
    }
    return written;
}

struct Line
{
    const char *start;
    qsizetype length;
};

// CR LF, a lone CR and a lone LF each end a line.
std::vector<Line> splitLines(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    std::vector<Line> lines;
    lines.reserve(size_t(bytes.count(Lf) + bytes.count(Cr) + 1));
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != Cr && data[end] != Lf)
            ++end;
        lines.push_back({data + pos, end - pos});
        pos = end + 1;
        if (end < size && data[end] == Cr && pos < size && data[pos] == Lf)
            ++pos;
    }
    return lines;
}

// The same order as lessThan, on the bytes themselves: every byte is one Latin-1 character,
// compared by its case folding. Sorting before the texts are made keeps even a file of hundreds
// of thousands of short lines quick to open.
bool lineLess(const Line &a, const Line &b)
{
    static const std::array<char16_t, 256> folded = [] {
        std::array<char16_t, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[size_t(c)] = QChar(c).toCaseFolded().unicode();
        return table;
    }();
    const qsizetype common = std::min(a.length, b.length);
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = folded[uchar(a.start[i])], y = folded[uchar(b.start[i])];
        if (x != y)
            return x < y;
    }
    return a.length < b.length;
}

} // namespace

bool lessThan(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

qsizetype insertPosition(const QStringList &sorted, const QString &entry)
{
    return std::upper_bound(sorted.cbegin(), sorted.cend(), entry, lessThan) - sorted.cbegin();
}

QStringList parse(const QByteArray &bytes)
{
    std::vector<Line> lines = splitLines(bytes);
    // Only the writer's closing empty line goes; a file cut short keeps every entry.
    if (!lines.empty() && lines.back().length == 0)
        lines.pop_back();
    if (!std::is_sorted(lines.cbegin(), lines.cend(), lineLess))
        std::stable_sort(lines.begin(), lines.end(), lineLess);

    QStringList entries;
    entries.reserve(qsizetype(lines.size()));
    for (const Line &line : lines)
        entries.append(QString::fromLatin1(line.start, line.length));
    return entries;
}

QByteArray serialize(const QStringList &entries)
{
    qsizetype capacity = 2;
    for (const QString &entry : entries)
        capacity += entry.size() + 2;

    QByteArray bytes(capacity, Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype pos = 0;
    for (const QString &entry : entries) {
        pos += encodeInto(entry, out + pos);
        out[pos++] = Cr;
        out[pos++] = Lf;
    }
    out[pos++] = Cr;
    out[pos++] = Lf;
    bytes.truncate(pos);
    return bytes;
}

bool exceedsLimits(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileSize)
        return true;
    qsizetype lines = 0;
    const char *data = bytes.constData();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (data[i] == Lf && i > 0 && data[i - 1] == Cr)
            continue; // CR LF ends one line
        if ((data[i] == Cr || data[i] == Lf) && ++lines > kMaxLines)
            return true;
    }
    return lines + (bytes.endsWith(Cr) || bytes.endsWith(Lf) || bytes.isEmpty() ? 0 : 1) >
           kMaxLines;
}

QString storable(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bytes.truncate(encodeInto(text, bytes.data()));
    return QString::fromLatin1(bytes);
}

} // namespace Scores
