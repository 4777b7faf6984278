#pragma once

#include "game/labelclicker.h"
#include "ui/windows.h"

#include <QObject>

class QSocketNotifier;

// Everything the running game holds for the life of the process: the game state, the
// random source, the services the windows share and the four window slots.
class GameApp : public QObject
{
    Q_OBJECT

public:
    // The game draws its codes from the clock unless given another random source.
    explicit GameApp(LabelClicker::RandomSource *random = nullptr);
    ~GameApp() override;

    // Loads and shows the main window; the event loop then runs until no window is left,
    // or until SIGTERM, SIGHUP, SIGINT or the end of the desktop session ends the game.
    void start();
    Windows &windows() { return m_windows; }

private:
    void finish();

    LabelClicker::GameState m_state;
    LabelClicker::ClockRandomSource m_clock;
    Services m_services;
    Windows m_windows;
    QSocketNotifier *m_signals = nullptr;
};
