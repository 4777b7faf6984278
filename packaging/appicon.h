#pragma once

#include <QIcon>

// The window and taskbar icon, with the 16, 32 and 48 px drawings so that no size is
// produced by scaling another.
QIcon appIcon();
