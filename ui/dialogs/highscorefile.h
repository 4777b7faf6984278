#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The high-score list on disk: Latin-1 text, one entry per CR LF line in list order,
// closed by one empty line.
namespace HighScoreFile {

// Where the list lives inside a folder that has no trailing separator.
QString pathIn(const QString &folder);

// Order of the list: character by character, ignoring case.
bool lessThan(const QString &a, const QString &b);

// Where a new entry goes in a sorted list: after any entries that compare equal to it.
qsizetype insertPosition(const QStringList &sorted, const QString &entry);

// Stable, so entries that differ only in case keep their order.
void sort(QStringList &entries);

// Bytes of a file to sorted entries; never fails, whatever the bytes.
QStringList parse(const QByteArray &bytes);

// Entries, in the order given, to the bytes of a file.
QByteArray serialize(const QStringList &entries);

struct LoadResult
{
    QStringList entries;
    QString error; // empty when the list was read, or there was none yet
};

LoadResult load(const QString &path);

// Replaces the file atomically; returns "" on success, else a message for the player.
QString save(const QString &path, const QStringList &entries);

// The text an entry comes back as after a save and a load.
QString storable(const QString &text);

} // namespace HighScoreFile
