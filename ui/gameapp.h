#pragma once

#include "game/labelclicker.h"
#include "ui/windows.h"

// Everything the running game holds for the life of the process: the game state, the
// random source, the services the windows share and the four window slots.
class GameApp
{
public:
    GameApp();
    // Loads and shows the main window; the event loop then runs until no window is left.
    void start();

private:
    LabelClicker::GameState m_state;
    LabelClicker::ClockRandomSource m_random;
    Services m_services;
    Windows m_windows;
};
