#pragma once

#include "game/labelclicker.h"
#include "scores/listlock.h"
#include "scores/location.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <QWindow>

#include <functional>

// Set on a window while the game itself unloads it; a dialog refuses every other close.
inline constexpr char kUnloadingProperty[] = "unloading";

// Shows a modal message box with a title, a text, one OK button and no icon.
using MessageFn = std::function<void(const QString &title, const QString &text)>;

// What every window reaches: the game state, the random source, the message boxes and where
// the high-score list lives. The game builds the real ones; tests pass stubs.
struct Services
{
    LabelClicker::GameState &state;
    LabelClicker::RandomSource &random;
    MessageFn message;
    Scores::Location scores;
    // How a save waits while another copy of the game saves the list: the game keeps painting.
    Scores::Pause pause = {};
};

// The one instance of a window. A window is loaded while a live, visible instance exists.
// Loading is construction (the constructor is the window's load step); unloading closes it,
// which runs its close event (the unload step) and destroys it with everything changed in it.
template <class W> class WindowSlot
{
public:
    // `gone` runs whenever a window of this slot has been destroyed.
    WindowSlot(std::function<W *()> create, std::function<void()> gone)
        : m_create(std::move(create)), m_gone(std::move(gone))
    {}
    WindowSlot(const WindowSlot &) = delete;
    WindowSlot &operator=(const WindowSlot &) = delete;
    ~WindowSlot()
    {
        if (QWidget *window = m_window.data()) {
            // Only this slot stops listening: a screen reader's record of the window must
            // still hear that it goes, or it would answer for a later window at its address.
            QObject::disconnect(m_goneConnection);
            delete window;
        }
    }

    bool isLoaded() const { return m_window && !m_window->isHidden(); }
    W *window() const { return isLoaded() ? static_cast<W *>(m_window.data()) : nullptr; }

    // Loads the window if needed, then shows it or brings it to the front, restored if it was
    // minimised. Never modal. A window shown `above` another stays above that one.
    W &show(QWidget *above = nullptr)
    {
        if (!isLoaded()) {
            delete m_window.data(); // a closed instance still waiting for deletion
            W *window = m_create();
            m_window = window;
            window->setAttribute(Qt::WA_DeleteOnClose);
            m_goneConnection = QObject::connect(window, &QObject::destroyed, m_gone);
        }
        if (above) {
            m_window->winId();
            m_window->windowHandle()->setTransientParent(above->window()->windowHandle());
        }
        if (m_window->isMinimized()) {
            m_window->showNormal();
        }
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
        return *static_cast<W *>(m_window.data());
    }

    void unload()
    {
        if (isLoaded()) {
            m_window->setProperty(kUnloadingProperty, true);
            m_window->close();
        }
    }

private:
    std::function<W *()> m_create;
    std::function<void()> m_gone;
    QPointer<QWidget> m_window;
    QMetaObject::Connection m_goneConnection;
};

class VantMain;
class HScoreList;
class ScoreAdder;
class NewGame;

// The four windows of the game, each one process-wide instance addressed by name. They are
// built where the game is put together, so this header needs none of them.
struct Windows
{
    explicit Windows(Services &services);
    ~Windows();

    bool anyLoaded() const;

    Services &services;
    // Runs, soon after, when a window has gone and none is left: the game then ends.
    std::function<void()> lastWindowGone;
    WindowSlot<VantMain> vantMain;
    WindowSlot<HScoreList> hScoreList;
    WindowSlot<ScoreAdder> scoreAdder;
    WindowSlot<NewGame> newGame;

private:
    void windowGone();
};

// A modal box with one OK button and no icon, as every message of the game is shown.
void showMessageBox(const QString &title, const QString &text);
