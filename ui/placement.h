#pragma once

class QWidget;
struct xcb_connection_t;

// Places a window that has not been shown yet in the middle of the screen it will appear on,
// frame included, so that it appears there and stays: the window system is asked for the frame
// before the window is shown. Where it cannot or will not say, the window is placed for a guessed
// frame and centred again once it is framed, by a timer that is a direct child of the window and
// stops when done.
void centreOnScreen(QWidget &window);

// Asks the window system now which frame it will put around a window of fixed size whose flags
// are set, so that centreOnScreen, once the window is built, need not wait for the answer.
// Creates the window's native window.
void askForFrame(QWidget &window);

// The game's connection to the X server, when it runs on X11; null elsewhere.
xcb_connection_t *x11Connection();
