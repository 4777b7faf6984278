#include "ui/dialogs/highscorefile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace HighScoreFile {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';

// Writes the Latin-1 form of text to out and returns the number of bytes written
// (never more than text.size()). A character Latin-1 lacks becomes one '?', so a
// surrogate pair gives a single '?'. CR and LF become '?' too, or one entry would
// come back as two lines.
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

// True only when nothing is at path; a file that is there but cannot be reached
// (no permission, an I/O error) is not missing and must be reported.
bool isMissing(const QString &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(QFile::encodeName(path).toStdString(), error);
    return status.type() == std::filesystem::file_type::not_found;
}

} // namespace

QString pathIn(const QString &folder)
{
    return folder + QStringLiteral("/High Scores.trel");
}

bool lessThan(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

qsizetype insertPosition(const QStringList &sorted, const QString &entry)
{
    return std::upper_bound(sorted.cbegin(), sorted.cend(), entry, lessThan) - sorted.cbegin();
}

void sort(QStringList &entries)
{
    // Files are written sorted, so checking first usually saves the whole sort.
    if (!std::is_sorted(entries.cbegin(), entries.cend(), lessThan))
        std::stable_sort(entries.begin(), entries.end(), lessThan);
}

QStringList parse(const QByteArray &bytes)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    QStringList lines;
    lines.reserve(bytes.count(Lf) + 1);

    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != Cr && data[end] != Lf)
            ++end;
        lines.append(QString::fromLatin1(data + pos, end - pos));
        pos = end + 1;
        if (end < size && data[end] == Cr && pos < size && data[pos] == Lf)
            ++pos;
    }

    // Only the writer's closing empty line goes; a file cut short keeps every entry.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    sort(lines);
    return lines;
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

LoadResult load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // No file yet just means nobody has made the list.
        if (isMissing(path))
            return {};
        return {{},
                QStringLiteral("Could not read the high scores from \"%1\": %2")
                    .arg(path, file.errorString())};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {{},
                QStringLiteral("Could not read the high scores from \"%1\": %2")
                    .arg(path, file.errorString())};
    }
    return {parse(bytes), {}};
}

QString save(const QString &path, const QStringList &entries)
{
    const auto failure = [&path](const QString &reason) {
        return QStringLiteral("Could not save the high scores to \"%1\": %2").arg(path, reason);
    };

    // QSaveFile writes a temporary file beside the old one and renames it only once
    // everything is on disk, so a failure leaves the old list as it was. Unbuffered,
    // because commit() ignores a failure to flush its buffer and would rename a cut file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(file.errorString());

    const QByteArray bytes = serialize(entries);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(reason);
    }
    if (!file.commit())
        return failure(file.errorString());
    return {};
}

QString storable(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bytes.truncate(encodeInto(text, bytes.data()));
    return QString::fromLatin1(bytes);
}

} // namespace HighScoreFile
