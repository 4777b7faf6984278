#include "ui/windows.h"

#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/vantmain.h"

#include <QMessageBox>
#include <QPushButton>

Windows::Windows(Services &services_)
    : services(services_), vantMain([this] { return new VantMain(*this); }),
      hScoreList([this] { return new HScoreList(*this); }),
      scoreAdder([this] { return new ScoreAdder(*this); }),
      newGame([this] { return new NewGame(*this); })
{}

Windows::~Windows() = default;

void Windows::endGame()
{
    services.message = [](const QString &title, const QString &text) {
        qWarning("%s: %s", qPrintable(title), qPrintable(text));
    };
    if (ScoreAdder *adder = scoreAdder.window()) {
        adder->enterName();
    }
    hScoreList.unload();
    newGame.unload();
    scoreAdder.unload();
    vantMain.unload();
}

void showMessageBox(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
