#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The high-score list on disk: Latin-1 text, one entry per CR LF line in list order,
// closed by one empty line.
namespace HighScoreFile {

// Far above any list the game writes (32766 entries of a 20-character name come to just under
// 1 MB, and twice as many lines), and small enough that reading, sorting and showing even the
// worst file stays quick. A larger file is refused and never written over, and a save that
// would go past either limit is refused.
constexpr qint64 kMaxFileSize = 1 << 20;
constexpr qsizetype kMaxLines = 1 << 16;

// Where the list lives inside a folder that has no trailing separator.
QString pathIn(const QString &folder);

// Where the game keeps its list: the file beside the executable when it can be saved there,
// otherwise the player's own file, which starts from the one beside the executable.
struct Location
{
    QString path;
    QString seedPath; // read while `path` does not exist yet; never written
};
Location locate(const QString &programFolder, const QString &playerFolder);

// Order of the list: character by character, ignoring case.
bool lessThan(const QString &a, const QString &b);

// Where a new entry goes in a sorted list: after any entries that compare equal to it.
qsizetype insertPosition(const QStringList &sorted, const QString &entry);

// Bytes of a file to entries sorted by lessThan, stably, so entries that differ only in case
// keep their order; never fails, whatever the bytes.
QStringList parse(const QByteArray &bytes);

// Entries, in the order given, to the bytes of a file.
QByteArray serialize(const QStringList &entries);

struct LoadResult
{
    QStringList entries;
    QString error;    // empty when the list was read, or there was none yet
    QByteArray bytes; // as read
};

// Reads the list. Only a regular file is read: a link, pipe, device, socket or folder in
// its place, or a file over kMaxFileSize, is refused with a message.
LoadResult load(const Location &location);

// Adds `added` to the list as the file holds it now and writes the result, under a lock
// beside the list, so entries saved meanwhile by another copy of the game are kept. Writes
// nothing when the bytes would not change. Returns "" on success, else a message for the
// player that names the entries that could not be saved; the old file is then unchanged.
// `shown` is the list as a window shows it, loaded from `loadedBytes` and with `added` in it:
// while the file still holds those bytes, it is the list to write.
QString save(const Location &location, const QStringList &added, const QByteArray &loadedBytes = {},
             const QStringList &shown = {});

// The text an entry comes back as after a save and a load.
QString storable(const QString &text);

} // namespace HighScoreFile
