#include "app/commandline.h"
#include "ui/gameapp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;

    // Qt sees the program's name only, so none of its options (-style, -reverse, ...) can
    // change the board's fixed look. Settings from the environment still apply.
    char fallbackName[] = "vantrel";
    char *qtArgv[] = {argc > 0 ? argv[0] : fallbackName, nullptr};
    int qtArgc = 1;
    GameApp::choosePlatform();
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID));
    GameApp game;
    game.start();
    return QApplication::exec();
}
