#pragma once

#include <optional>

// The game's whole command line: -h/--help and -v/--version, answered on standard output
// (status 1 when that cannot be written), and -session ID, with which a session manager
// restores programs, ignored. Anything else is a mistake, Qt's own options such as -style or
// -reverse included, and gets the usage on standard error. Returns the exit status when the
// program must end now, or nothing when the game should start. Needs no application object.
std::optional<int> answerCommandLine(int argc, char *argv[]);
