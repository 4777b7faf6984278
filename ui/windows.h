#pragma once

#include "game/labelclicker.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <QWindow>

#include <functional>

// Shows a modal message box with a title, a text, one OK button and no icon.
using MessageFn = std::function<void(const QString &title, const QString &text)>;

// What every window reaches: the game state, the random source, the message boxes and the
// high-score file. The game builds the real ones; tests pass stubs.
struct Services
{
    LabelClicker::GameState &state;
    LabelClicker::RandomSource &random;
    MessageFn message;
    QString scoreFilePath;
    // The list beside the program that a player's own list starts from; empty when the
    // list itself is kept beside the program.
    QString seedFilePath = {};
};

// The one instance of a window. A window is loaded while a live, visible instance exists.
// Loading is construction (the constructor is the window's load step); unloading closes it,
// which runs its close event (the unload step) and destroys it with everything changed in it.
template <class W> class WindowSlot
{
public:
    explicit WindowSlot(std::function<W *()> create) : m_create(std::move(create)) {}
    WindowSlot(const WindowSlot &) = delete;
    WindowSlot &operator=(const WindowSlot &) = delete;
    ~WindowSlot() { delete m_window.data(); }

    bool isLoaded() const { return m_window && !m_window->isHidden(); }
    W *window() const { return isLoaded() ? m_window.data() : nullptr; }

    // Loads the window if needed, then shows it or brings it to the front, restored if it was
    // minimised. Never modal. A window loaded `from` another stays above that one.
    W &show(QWidget *from = nullptr)
    {
        if (!isLoaded()) {
            delete m_window.data(); // a closed instance still waiting for deletion
            m_window = m_create();
            m_window->setAttribute(Qt::WA_DeleteOnClose);
            if (from) {
                m_window->winId();
                m_window->windowHandle()->setTransientParent(from->window()->windowHandle());
            }
        }
        if (m_window->isMinimized()) {
            m_window->showNormal();
        }
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
        return *m_window;
    }

    void unload()
    {
        if (isLoaded()) {
            m_window->close();
        }
    }

private:
    std::function<W *()> m_create;
    QPointer<W> m_window;
};

class VantMain;
class HScoreList;
class ScoreAdder;
class NewGame;

// The four windows of the game, each one process-wide instance addressed by name.
struct Windows
{
    explicit Windows(Services &services);
    ~Windows();

    // Ends the game for good, as at a signal or the end of the desktop session: a winner still
    // waiting to type a name gets the entry as the box stands, an open list is saved, and
    // every window is unloaded. Messages go to the log, with nobody left to answer them.
    void endGame();

    Services &services;
    WindowSlot<VantMain> vantMain;
    WindowSlot<HScoreList> hScoreList;
    WindowSlot<ScoreAdder> scoreAdder;
    WindowSlot<NewGame> newGame;
};

// A modal box with one OK button and no icon, as every message of the game is shown.
void showMessageBox(const QString &title, const QString &text);
