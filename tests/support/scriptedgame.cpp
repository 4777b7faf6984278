// The whole game with a known code (yellow, blue, green, red), driven by one command per line
// on standard input, so tests can run several copies at once, as another user, or under a real
// window manager. Each command answers "ok"; off a real desktop message boxes are printed.
//   win [ROW]     plays a win on ROW (default 1) after wrong guesses, which opens the score dialog
//   name TEXT     types TEXT into the score dialog and presses "Enter Name"
//   shut          closes the open dialogs from outside, as a Wayland compositor asks Qt to
//   close         closes the high-score list, which saves it
//   look          prints "shown NAME" for each open dialog that the screen shows as it draws
//                 itself, "hidden NAME" for one that is covered, black, or not drawn yet
//   print         shows the list, as "High Scores" does, and prints its entries
//   new           "New Game", then "Yes"
//   session       what the end of the desktop session asks: save what is pending
//   wins N NAME   N times: a win, the name NAME1, NAME2..., and the list closed
#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/gameapp.h"
#include "ui/main/vantmain.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setCursorFlashTime(0); // a caret that does not blink, for "look"
    FixedRandomSource random(0.0);
    GameApp game(&random);
    Windows &windows = game.windows();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        windows.services.message = [](const QString &title, const QString &text) {
            std::printf("message %s: %s\n", qPrintable(title), qPrintable(text));
        };
    }
    game.start();

    // The tests send a command only once the one before has answered.
    QSocketNotifier input(fileno(stdin), QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char text[256];
        if (!std::fgets(text, sizeof text, stdin)) {
            input.setEnabled(false);
            return;
        }
        const QString line = QString::fromUtf8(text).trimmed();
        const auto win = [&](int row) {
            VantMain &main = windows.vantMain.show();
            auto *check = main.findChild<QPushButton *>(QStringLiteral("CheckClicker"));
            for (int wrong = 1; wrong < row; ++wrong)
                check->click();
            for (int i = 0; i < 4; ++i) {
                for (int k = 0; k < "1432"[i] - '0'; ++k)
                    main.cyclePegColor(row, i);
            }
            check->click();
        };
        QList<QWidget *> dialogs{windows.scoreAdder.window(), windows.newGame.window()};
        dialogs.removeAll(nullptr);
        const auto name = [&](const QString &text) {
            ScoreAdder *adder = windows.scoreAdder.window();
            if (!adder)
                return std::printf("error: no score dialog is open\n"), void();
            adder->findChild<QLineEdit *>()->setText(text);
            adder->enterName();
        };
        if (line.startsWith(u"win ") || line == u"win") {
            win(std::max(1, line.mid(4).toInt()));
        } else if (line.startsWith(u"name ")) {
            name(line.mid(5));
        } else if (line == u"shut") {
            for (QWidget *dialog : dialogs)
                dialog->windowHandle()->close();
        } else if (line == u"look") {
            for (QWidget *dialog : dialogs) {
                const QPoint at = dialog->mapToGlobal(QPoint());
                const QImage shown =
                    dialog->screen()
                        ->grabWindow(0, at.x(), at.y(), dialog->width(), dialog->height())
                        .toImage();
                const bool same = shown.convertToFormat(QImage::Format_RGB32) ==
                                  dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
                std::printf("%s %s\n", same ? "shown" : "hidden", qPrintable(dialog->objectName()));
            }
        } else if (line == u"close") {
            windows.hScoreList.unload();
        } else if (line == u"print") {
            for (const QString &entry : windows.hScoreList.show().entries())
                std::printf("entry %s\n", qPrintable(entry));
        } else if (line == u"new") {
            windows.vantMain.show().findChild<QAction *>(QStringLiteral("mnuNewGame"))->trigger();
            windows.newGame.window()->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        } else if (line == u"session") {
            game.saveForSessionEnd();
        } else if (line.startsWith(u"wins ")) {
            for (int i = 1; i <= line.section(u' ', 1, 1).toInt(); ++i) {
                win(1);
                name(line.section(u' ', 2) + QString::number(i));
                windows.hScoreList.unload();
            }
        }
        std::printf("ok\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
