#include "ui/gameapp.h"

#include "packaging/appicon.h"
#include "ui/dialogs/highscorefile.h"
#include "ui/main/vantmain.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStandardPaths>
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

HighScoreFile::Location scoreLocation()
{
    return HighScoreFile::locate(QCoreApplication::applicationDirPath(),
                                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace

GameApp::GameApp(LabelClicker::RandomSource *random)
    : m_services{m_state, random ? *random : m_clock, showMessageBox, {}}, m_windows(m_services)
{
    const HighScoreFile::Location location = scoreLocation();
    m_services.scoreFilePath = location.path;
    m_services.seedFilePath = location.seedPath;
    QApplication::setWindowIcon(appIcon());
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
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { finish(); });
    m_windows.vantMain.show();
}

void GameApp::finish()
{
    // A message box may be waiting for OK, with the handler that opened it (a win, say) still
    // to run on: close the box and end only once that handler has finished.
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
    m_windows.endGame();
    QCoreApplication::exit(0);
}
