#include "ui/gameapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    GameApp game;
    game.start();
    return QApplication::exec();
}
