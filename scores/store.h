#pragma once

#include "scores/listlock.h"
#include "scores/location.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Loading and saving the high-score list: what a list window reads when it opens and writes
// when it closes, with every other copy of the game, of any user, kept out meanwhile.
namespace Scores {

struct Loaded
{
    QStringList entries;
    QByteArray bytes; // as read, to tell at the save whether the file changed meanwhile
    QString error;    // why the list could not be read; empty when it was read, or there was none
};

// Reads the list, or while there is none yet the list it starts from. Only a regular file is
// read: a link, pipe, device, socket or folder in its place, or a file over the limits, is
// refused with a message.
Loaded load(const Location &location);

// A list window's side of a save.
struct View
{
    QByteArray loadedBytes; // what the window read when it opened
    bool wasRead = true;    // false when the file was refused then
    QStringList shown;      // the entries the window shows, new ones included
    QStringList added;      // the new entries, in the order they came
};

struct Saved
{
    QString error;       // a message for the player, naming the entries that were not saved
    QByteArray bytes;    // what the file holds now, when it holds the window's entries
    QStringList entries; // the same, as entries
};

// Adds the window's new entries to the list as the file holds it now, and writes the result.
// While the file still holds what the window read, the window's list is what is written. A list
// that would not change is not written; one that was only looked at, or could not be read and
// got nothing new, is left alone without a word. On failure the file keeps its old bytes, and
// the message names the new entries; with none, nothing was lost and nothing is said.
// The game ignores SIGXFSZ, so that past a limit on file sizes a write fails as on a full disk.
Saved save(const Location &location, const View &view, const Pause &pause = {});

// Finishes a save in place of this player's that was killed in the middle, from the record it
// left in the player's own folder, so that the list is whole again before the game shows or
// saves it: the new list where the file holds the old one or a part of the new one over it. A
// list changed since by someone else is left as it is. What this cannot promise: another
// player's copy that read the list in the instant between kept what it read.
void finishInterruptedSave(const Location &location);

} // namespace Scores
