#pragma once

#include <QIcon>

// The window and taskbar icon, with the 16 to 256 px drawings so that no common size is
// produced by scaling another.
QIcon appIcon();
