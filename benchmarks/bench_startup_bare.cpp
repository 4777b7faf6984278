// The yardstick for bench_startup: a plain Qt window of the same size and about the same
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
    exitAfterFirstPaint();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.menuBar()->setNativeMenuBar(false);
    window.menuBar()->addAction(QStringLiteral("New Game"));
    window.menuBar()->addAction(QStringLiteral("High Scores"));
    window.menuBar()->addAction(QStringLiteral("Rand"))->setEnabled(false);

    auto *board = new QWidget;
    board->setFixedSize(226, 303);

    // 90 labels in ten rows of nine, like a board of rows of pegs.
    constexpr int columns = 9;
    constexpr int rows = 10;
    constexpr int cellWidth = 25;
    constexpr int cellHeight = 26;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            auto *label = new QLabel(QString::number(row * columns + column), board);
            label->setGeometry(column * cellWidth, row * cellHeight, cellWidth, cellHeight);
        }
    }

    auto *left = new QPushButton(QStringLiteral("OK"), board);
    left->setGeometry(0, 262, 113, 30);
    auto *right = new QPushButton(QStringLiteral("Cancel"), board);
    right->setGeometry(113, 262, 113, 30);

    // Eight empty widgets along the bottom edge bring the count to 100.
    for (int i = 0; i < 8; ++i) {
        auto *strip = new QWidget(board);
        strip->setGeometry(i * 28, 294, 28, 9);
    }

    window.setCentralWidget(board);
    window.show();
    return app.exec();
}
