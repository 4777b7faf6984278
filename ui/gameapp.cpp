#include "ui/gameapp.h"

#include "packaging/appicon.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/vantmain.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

Scores::Location scoreLocation()
{
#ifdef VANTREL_PLAYER_LISTS
    constexpr bool alwaysOwn = true;
#else
    constexpr bool alwaysOwn = false;
#endif
    const Scores::Location location =
        Scores::locate(Scores::programFolder(), Scores::playerFolder(), alwaysOwn);
    Scores::finishInterruptedSave(location);
    return location;
}

} // namespace

// The four windows are built here, where the game is put together.
Windows::Windows(Services &services_)
    : services(services_),
      vantMain([this] { return new VantMain(*this); }, [this] { windowGone(); }),
      hScoreList([this] { return new HScoreList(*this); }, [this] { windowGone(); }),
      scoreAdder([this] { return new ScoreAdder(*this); }, [this] { windowGone(); }),
      newGame([this] { return new NewGame(*this); }, [this] { windowGone(); })
{}

GameApp::GameApp(LabelClicker::RandomSource *random)
    : m_services{m_state, random ? *random : m_clock, showMessageBox, scoreLocation(),
                 [this] { return pauseWhileListLocked(); }},
      m_windows(m_services)
{
    QApplication::setWindowIcon(appIcon());
    // Past a limit on file sizes, a write fails as on a full disk instead of ending the game.
    std::signal(SIGXFSZ, SIG_IGN);
    // The game ends when none of its own windows is loaded, whatever Qt counts as a window:
    // a dialog kept above the board must not end it when the board closes.
    QApplication::setQuitOnLastWindowClosed(false);
    m_windows.lastWindowGone = [this] {
        QTimer::singleShot(0, this, [this] {
            if (!m_windows.anyLoaded()) {
                QCoreApplication::quit();
            }
        });
    };
}

void GameApp::choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb;wayland"); // Wayland still, if the display cannot be had
    }
}

GameApp::~GameApp()
{
    if (m_signals) {
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            std::signal(number, SIG_DFL);
        }
    }
}

void GameApp::start()
{
    // A signal only writes a byte; the game ends from the event loop, where windows may close.
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_signals = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signals, &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            finish();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            sigaction(number, &action, nullptr);
        }
    }
    connect(qApp, &QGuiApplication::commitDataRequest, this, &GameApp::saveForSessionEnd);
    m_windows.vantMain.show();
}

void GameApp::saveForSessionEnd()
{
    // Not in the middle of a save that waits for another copy, or of a message box: once they
    // are done.
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &GameApp::saveForSessionEnd);
        return;
    }
    if (ScoreAdder *adder = m_windows.scoreAdder.window()) {
        adder->enterName();
    }
    if (HScoreList *list = m_windows.hScoreList.window()) {
        list->save();
    }
}

// While another copy holds the list, the windows keep painting and a signal is still seen;
// once the game is ending, the wait is cut short.
bool GameApp::pauseWhileListLocked()
{
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !m_ending.isValid() || m_ending.elapsed() < 500;
}

void GameApp::finish()
{
    if (!m_ending.isValid()) {
        m_ending.start();
        // Nobody is left to answer a message box.
        m_services.message = [](const QString &title, const QString &text) {
            qWarning("%s: %s", qPrintable(title), qPrintable(text));
        };
    }
    // A message box may be waiting for OK, with the handler that opened it (a win, say) still
    // to run on: close the box and end only once that handler has finished. So too for a save
    // waiting for another copy of the game.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    if (QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &GameApp::finish);
        return;
    }
    // A winner still waiting to type a name gets the entry as the box stands, an open list is
    // saved as it closes, and every window is unloaded.
    if (ScoreAdder *adder = m_windows.scoreAdder.window()) {
        adder->enterName();
    }
    m_windows.hScoreList.unload();
    m_windows.newGame.unload();
    m_windows.scoreAdder.unload();
    m_windows.vantMain.unload();
    QCoreApplication::exit(0);
}
