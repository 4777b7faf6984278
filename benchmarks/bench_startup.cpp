// Start-up to the first frame on screen, built three times: the game as in app/main.cpp
// (STARTUP_GAME), and its two yardsticks, a bare window of the game's size with a menu bar and
// as many widgets as the board (STARTUP_BARE), and an empty window, the least start-up any Qt
// Widgets program has (neither). Each build links only what it shows.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#if defined(STARTUP_GAME)
#include "ui/gameapp.h"
#elif defined(STARTUP_BARE)
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#endif

#include <cstdlib>

// Exits after the first paint event, queued so that the whole window finishes painting first;
// _Exit skips the teardown, which is not part of start-up. With STARTUP_UNTIL=mapped in the
// environment it exits as soon as a window is first exposed instead, which on an X server is
// when the window manager has mapped it, before anything is painted.
class FirstPaintExit : public QObject
{
    const bool m_untilMapped = qgetenv("STARTUP_UNTIL") == "mapped";

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_untilMapped && event->type() == QEvent::Expose && watched->isWindowType() &&
            static_cast<QWindow *>(watched)->isExposed())
            std::_Exit(0);
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            QTimer::singleShot(0, [] { std::_Exit(0); });
        return false;
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exitAfterFirstPaint;
    app.installEventFilter(&exitAfterFirstPaint);
#if defined(STARTUP_GAME)
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    GameApp game;
    game.start();
#elif defined(STARTUP_BARE)
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.menuBar()->setNativeMenuBar(false);
    window.menuBar()->addAction(QStringLiteral("New Game"));
    window.menuBar()->addAction(QStringLiteral("High Scores"));
    window.menuBar()->addAction(QStringLiteral("Rand"))->setEnabled(false);
    auto *board = new QWidget;
    board->setFixedSize(226, 303);
    // 90 labels in ten rows of nine, like a board of rows of pegs, two buttons, and eight
    // empty widgets along the bottom edge: 100 in all.
    for (int i = 0; i < 90; ++i)
        (new QLabel(QString::number(i), board))->setGeometry(i % 9 * 25, i / 9 * 26, 25, 26);
    (new QPushButton(QStringLiteral("OK"), board))->setGeometry(0, 262, 113, 30);
    (new QPushButton(QStringLiteral("Cancel"), board))->setGeometry(113, 262, 113, 30);
    for (int i = 0; i < 8; ++i)
        (new QWidget(board))->setGeometry(i * 28, 294, 28, 9);
    window.setCentralWidget(board);
    window.show();
#else
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(226, 303);
    window.show();
#endif
    return QApplication::exec();
}
