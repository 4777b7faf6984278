#pragma once

#include "scores/safefile.h"

#include <functional>

// The lock that keeps copies of the game, of any user, from saving the list at the same time.
// It is the kernel's lock on the list file itself (flock), which every writer takes, in place
// or by replacing the file, and which the kernel drops when its holder dies: there is no lock
// file to plant, to go stale or to hang on.
namespace Scores {

// Called again and again while another copy holds the list, each call taking a few
// milliseconds; a window keeps painting in it. Returning false stops the wait.
using Pause = std::function<bool()>;

// How long a save waits for another copy at most: a save takes milliseconds.
constexpr int kLockWaitMs = 2000;

// Opens the regular file at path and locks it for a save. Once locked, the path must still name the
// file that was locked, or another copy has just replaced it, and the new file is locked instead.
// Refused with a reason when the file is not a regular one, or when another copy kept it locked
// past the wait.
OpenedFile lockRegular(const QString &path, const Pause &pause);

} // namespace Scores
