#pragma once

#include <QIcon>

// The window and taskbar icon, drawn at 16, 24, 32, 48, 64, 128 and 256 px; no size is
// produced by scaling another. It offers the window system 16 to 48 px.
QIcon appIcon();
