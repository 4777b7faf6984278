#include "tests/support/testgame.h"

#include "ui/main/boardwidget.h"
#include "ui/main/vantmain.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

TestGame::TestGame()
    : services{state, random,
               [this](const QString &title, const QString &text) {
                   messages.append({title, text});
               },
               dir.path() + QStringLiteral("/High Scores.trel")},
      windows(services)
{}

TestGame::~TestGame()
{
    processDeletes();
}

VantMain &TestGame::main()
{
    return windows.vantMain.show();
}

BoardWidget &TestGame::board()
{
    return main().board();
}

QPoint pegCentre(int row, int index)
{
    return BoardGeometry::guessPegRect(row, index).center();
}

void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestGame::clickPeg(int row, int index)
{
    QTest::mouseClick(&board(), Qt::LeftButton, {}, pegCentre(row, index));
}

void TestGame::clickButton(QWidget *window, const char *name)
{
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
    processDeletes();
}

void TestGame::setGuess(int row, const QList<int> &colours)
{
    for (int index = 0; index < colours.size(); ++index) {
        for (int n = 0; n < 5 && static_cast<int>(state.guessColor[index]) != colours[index]; ++n) {
            clickPeg(row, index);
        }
    }
}

void TestGame::checkColors()
{
    clickButton(&main(), "CheckClicker");
}

QString TestGame::scoreCaption()
{
    return board().state().scoreCaption;
}

QStringList TestGame::visibleWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            names << w->objectName();
        }
    }
    names.sort();
    return names;
}
