// The yardstick for the game's start-up: a plain Qt window of the same size and about the same
// number of widgets as the game's main window, doing no work of its own.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exitAfterFirstPaint;
    app.installEventFilter(&exitAfterFirstPaint);

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
    return app.exec();
}
