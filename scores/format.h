#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of the high-score list: Latin-1 text, one entry per CR LF line in list order,
// closed by one empty line. Pure functions; nothing here touches a file.
namespace Scores {

// Just above the longest list the game writes (32766 entries of a 20-character name: just under
// 1 MB in 32767 lines), and small enough that reading, sorting and showing even the
// worst file stays quick. A larger file is refused and never written over, and a save that
// would go past either limit is refused.
constexpr qint64 kMaxFileSize = 1 << 20;
constexpr qsizetype kMaxLines = 1 << 16;

// Order of the list: character by character, ignoring case.
bool lessThan(const QString &a, const QString &b);

// Where a new entry goes in a sorted list: after any entries that compare equal to it.
qsizetype insertPosition(const QStringList &sorted, const QString &entry);

// Bytes of a file to entries sorted by lessThan, stably, so entries that differ only in case
// keep their order. CR LF, a lone CR and a lone LF each end a line, and only the writer's
// closing empty line is dropped. Never fails, whatever the bytes.
QStringList parse(const QByteArray &bytes);

// Entries, in the order given, to the bytes of a file.
QByteArray serialize(const QStringList &entries);

// Whether bytes hold more than kMaxFileSize bytes or kMaxLines lines.
bool exceedsLimits(const QByteArray &bytes);

// The text an entry comes back as after a save and a load: a character Latin-1 lacks, or a
// line break, becomes one '?'.
QString storable(const QString &text);

} // namespace Scores
