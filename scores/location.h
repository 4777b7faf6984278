#pragma once

#include <QByteArray>
#include <QString>

// Where the high-score list lives.
namespace Scores {

struct Location
{
    QString path;          // the list; empty when there is nowhere to keep it
    QString seedPath = {}; // read while `path` does not exist yet; never written
    QString problem = {};  // why there is no path
    // The player's own data folder: the only folder a save makes, where it is missing, and where
    // a save in place keeps the record that lets the next game finish it. Empty when none.
    QString ownFolder = {};
};

// A path as the system names it, and back, whatever bytes its names hold: a byte that is not
// part of valid UTF-8 travels as the lone surrogate U+DC00 plus that byte.
QByteArray nativePath(const QString &path);
QString pathFromNative(const QByteArray &bytes);

// The list inside a folder that has no trailing separator.
QString pathIn(const QString &folder);

// The folder of the running program, as the system names it.
QString programFolder();

// The game's folder among the player's own data, by the XDG rules: under $XDG_DATA_HOME, else
// under $HOME/.local/share, ignoring a value that is not a full path; without a usable HOME,
// under the home folder of the player's account. Empty when there is none.
QString playerFolder();

// The list beside the program, as long as it is a regular file the player may write, or none
// is there yet and the player may write the folder; otherwise the player's own list, which
// starts from the one beside the program. With `alwaysOwn`, as for an installed game, always the
// player's own list: the program's folder then belongs to the system, not to the game.
Location locate(const QString &programFolder, const QString &ownFolder, bool alwaysOwn);

} // namespace Scores
