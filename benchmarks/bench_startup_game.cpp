// The game's own start-up, as in app/main.cpp, stopped at its first frame.
#include "firstpaint.h"
#include "ui/gameapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaintExit exitAfterFirstPaint;
    app.installEventFilter(&exitAfterFirstPaint);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    GameApp game;
    game.start();
    return QApplication::exec();
}
