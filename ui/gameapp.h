#pragma once

#include "game/labelclicker.h"
#include "ui/windows.h"

#include <QElapsedTimer>
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

    // Called before the application object exists. Where an X display is at hand, as in a
    // Wayland session through Xwayland, and the player chose no platform, the game runs through
    // X11: there it can centre its windows and keep its dialogs in front.
    static void choosePlatform();

    // Loads and shows the main window; the event loop then runs until no window is left,
    // or until SIGTERM, SIGHUP or SIGINT ends the game.
    void start();
    Windows &windows() { return m_windows; }

    // At the end of the desktop session: a winner still waiting to type a name gets the entry
    // with the name as the box stands, and an open list is saved. The windows stay, for a
    // session that goes on after all; the session manager ends the process.
    void saveForSessionEnd();

private:
    void finish();
    bool pauseWhileListLocked();

    LabelClicker::GameState m_state;
    LabelClicker::ClockRandomSource m_clock;
    Services m_services;
    Windows m_windows;
    QSocketNotifier *m_signals = nullptr;
    QElapsedTimer m_ending; // valid once a signal has asked the game to end
};
