// The game's own start-up, as in app/main.cpp, stopped at its first frame; bench_startup
// compares it with bench_startup_bare.
#include "firstpaint.h"
#include "ui/gameapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    exitAfterFirstPaint();
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    GameApp game;
    game.start();
    return QApplication::exec();
}
