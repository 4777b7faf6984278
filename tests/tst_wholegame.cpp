#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/boardwidget.h"
#include "ui/main/vantmain.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using LabelClicker::kRows;

namespace {

const QColor kGrey(192, 192, 192);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

void chooseMenu(VantMain &main, const char *name)
{
    auto *action = main.findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY(action);
    QMenuBar *bar = main.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
    processDeletes();
}

QPushButton *checkButton(VantMain &main)
{
    return main.findChild<QPushButton *>("CheckClicker");
}

QList<QColor> keyPegs(VantMain &main, int row)
{
    QList<QColor> fills;
    for (const ShapeItem &peg : main.board().state().pegGuess[row - 1]) {
        fills << peg.fill;
    }
    return fills;
}

int boldRow(VantMain &main)
{
    const auto &bold = main.board().state().labelBold;
    const auto it = std::find(bold.begin(), bold.end(), true);
    return it == bold.end() ? 0 : int(it - bold.begin()) + 1;
}

QList<int> enabledTargetRows(VantMain &main)
{
    QList<int> rows;
    for (int row = 1; row <= kRows; ++row) {
        for (bool enabled : main.board().state().pegCoverEnabled[row - 1]) {
            if (enabled) {
                rows << row;
                break;
            }
        }
    }
    return rows;
}

} // namespace

class TestWholeGame : public QObject
{
    Q_OBJECT

private slots:
    void firstGuessEqualToTheCodeWins();
    void firstGuessWithoutAnyRightColour();
    void secondRowWinAfterATwelvePointRow();
    void wrongTenthGuessLoses();
    void rightTenthGuessWins();
    void keyPegsShowInScrambledOrder_data();
    void keyPegsShowInScrambledOrder();
    void givingUpRevealsTheCode();
    void highScoresTwiceGivesOneWindow();
    void newGameThenYesAfterGivingUp();
    void newGameThenNo_data();
    void newGameThenNo();
    void wonGameReachesTheFile();
    void soakOfManyGames();
};

void TestWholeGame::firstGuessEqualToTheCodeWins()
{
    TestGame game; // r = 0: the code is yellow, blue, green, red
    game.setGuess(1, {1, 4, 3, 2});
    VantMain *main = &game.main();
    game.checkColors();
    QCOMPARE(game.messages.size(), 1);
    QCOMPARE(game.messages[0].title, QStringLiteral("You Win!"));
    QCOMPARE(game.messages[0].text, QStringLiteral("YOU WIN!!! Your Score is: 4"));
    QCOMPARE(int(game.state.score), 4);
    QCOMPARE(TestGame::visibleWindows(), QStringList({"ScoreAdder"}));
    QVERIFY(!game.windows.vantMain.isLoaded());
    Q_UNUSED(main);
    QCOMPARE(game.windows.scoreAdder.window()->findChild<QLabel *>("AddScorelbl")->text(),
             QStringLiteral("4"));
}

void TestWholeGame::firstGuessWithoutAnyRightColour()
{
    TestGame game;
    game.random.value = 0.5; // blue, blue, green, red
    VantMain &main = game.main();
    game.setGuess(1, {1, 1, 1, 1});
    game.checkColors();
    QCOMPARE(keyPegs(main, 1), QList<QColor>({kGrey, kGrey, kGrey, kGrey}));
    QCOMPARE(game.scoreCaption(), QStringLiteral("12"));
    QCOMPARE(boldRow(main), 2);
    QCOMPARE(enabledTargetRows(main), QList<int>({2}));
    QCOMPARE(int(game.state.currentRow), 2);
    QCOMPARE(game.state.guessColor, decltype(game.state.guessColor){});
    QVERIFY(game.messages.isEmpty());
    // The next click on row 2 starts from yellow again, and row 1 no longer reacts.
    game.clickPeg(1, 0);
    game.clickPeg(2, 0);
    QCOMPARE(main.board().state().colorPeg[1][0].fill, QColor(255, 255, 0));
    QCOMPARE(int(game.state.guessColor[0]), 1);
}

void TestWholeGame::secondRowWinAfterATwelvePointRow()
{
    TestGame game;
    game.random.value = 0.5;
    VantMain &main = game.main();
    game.setGuess(1, {1, 1, 1, 1});
    game.checkColors();
    game.setGuess(2, {4, 4, 3, 2});
    game.checkColors();
    QCOMPARE(game.messages.last().text, QStringLiteral("YOU WIN!!! Your Score is: 21"));
    QCOMPARE(TestGame::visibleWindows(), QStringList({"ScoreAdder", "VantMain"}));
    QVERIFY(!checkButton(main)->isEnabled());
    QCOMPARE(boldRow(main), 2);
    QCOMPARE(enabledTargetRows(main), QList<int>({2}));
    QCOMPARE(int(game.state.currentRow), 2);
    QCOMPARE(keyPegs(main, 2), QList<QColor>({kRed, kRed, kRed, kRed}));
}

void TestWholeGame::wrongTenthGuessLoses()
{
    TestGame game;
    VantMain &main = game.main();
    for (int row = 1; row <= kRows; ++row) {
        game.checkColors();
    }
    QCOMPARE(int(game.state.score), 165);
    QCOMPARE(game.scoreCaption(), QStringLiteral("165"));
    QCOMPARE(boldRow(main), 0);
    QCOMPARE(enabledTargetRows(main), QList<int>());
    QVERIFY(!checkButton(main)->isEnabled());
    QVERIFY(main.findChild<QPushButton *>("Command1")->isEnabled());
    QCOMPARE(game.messages.size(), 1);
    QCOMPARE(game.messages[0].title, QStringLiteral("Looser!"));
    QCOMPARE(game.messages[0].text,
             QStringLiteral("You Loose! Your Score is: 165. Are you going to let the computer "
                            "beat you like that? Try again!"));
    QCOMPARE(int(game.state.currentRow), 11);
    QVERIFY(!main.board().state().compColors[0].visible);
    QCOMPARE(TestGame::visibleWindows(), QStringList({"VantMain"}));

    // Giving up afterwards still reveals the code.
    game.clickButton(&main, "Command1");
    QVERIFY(main.board().state().compColors[3].visible);
    QCOMPARE(game.scoreCaption(), QStringLiteral("0"));
}

void TestWholeGame::rightTenthGuessWins()
{
    TestGame game;
    VantMain &main = game.main();
    for (int row = 1; row < kRows; ++row) {
        game.checkColors();
    }
    game.setGuess(kRows, {1, 4, 3, 2});
    game.checkColors();
    QCOMPARE(game.messages.last().text, QStringLiteral("YOU WIN!!! Your Score is: 157"));
    QCOMPARE(boldRow(main), 0);
    QCOMPARE(enabledTargetRows(main), QList<int>());
    QVERIFY(!checkButton(main)->isEnabled());
    QCOMPARE(int(game.state.currentRow), 10);
    QCOMPARE(TestGame::visibleWindows(), QStringList({"ScoreAdder", "VantMain"}));
}

void TestWholeGame::keyPegsShowInScrambledOrder_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<QList<int>>("guess");
    QTest::addColumn<QList<QColor>>("shown");
    QTest::addColumn<QList<int>>("keyPegsAfter");
    // Each guess earns one red, two whites and one grey against the code that r draws; the
    // scoring leaves them as 1, 2, 2, 0 and the display reverses its own order.
    QTest::newRow("r = 0") << 0.0 << QList{1, 3, 4, 0} << QList{kRed, kGrey, kWhite, kWhite}
                           << QList{2, 2, 0, 1};
    QTest::newRow("r just below 1") << kJustBelowOne << QList{3, 1, 2, 0}
                                    << QList{kWhite, kWhite, kRed, kGrey} << QList{0, 1, 2, 2};
}

void TestWholeGame::keyPegsShowInScrambledOrder()
{
    QFETCH(double, r);
    QFETCH(QList<int>, guess);
    QFETCH(QList<QColor>, shown);
    QFETCH(QList<int>, keyPegsAfter);
    TestGame game;
    game.random.value = r;
    VantMain &main = game.main();
    game.setGuess(1, guess);
    const int reseeds = game.random.reseeds;
    game.checkColors();
    QCOMPARE(keyPegs(main, 1), shown);
    QList<int> after;
    for (LabelClicker::KeyPegCode code : game.state.keyPegs) {
        after << int(code);
    }
    QCOMPARE(after, keyPegsAfter);
    QCOMPARE(game.random.reseeds - reseeds, 4);
    QCOMPARE(game.scoreCaption(), QStringLiteral("8")); // 1 + 2 + 2 + 3
}

void TestWholeGame::givingUpRevealsTheCode()
{
    TestGame game;
    VantMain &main = game.main();
    game.checkColors();
    for (int press = 0; press < 2; ++press) {
        game.clickButton(&main, "Command1");
        QCOMPARE(game.scoreCaption(), QStringLiteral("0"));
        QVERIFY(!checkButton(main)->isEnabled());
        for (const ShapeItem &code : main.board().state().compColors) {
            QVERIFY(code.visible);
        }
    }
    QCOMPARE(int(game.state.score), 12); // only the display shows 0
    const QImage image = main.board().grab().toImage();
    QCOMPARE(image.pixelColor(BoardGeometry::codePegRect(1).center()), QColor(0, 0, 255));
}

void TestWholeGame::highScoresTwiceGivesOneWindow()
{
    TestGame game;
    VantMain &main = game.main();
    chooseMenu(main, "mnuHScores");
    HScoreList *list = game.windows.hScoreList.window();
    QVERIFY(list);
    list->addEntry("3 - Gus");
    chooseMenu(main, "mnuHScores");
    QCOMPARE(game.windows.hScoreList.window(), list);
    QCOMPARE(list->entries(), QStringList({"3 - Gus"}));
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList", "VantMain"}));
    chooseMenu(main, "mnuRand"); // greyed: nothing happens
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList", "VantMain"}));
}

void TestWholeGame::newGameThenYesAfterGivingUp()
{
    TestGame game;
    game.main();
    game.checkColors();
    game.clickButton(&game.main(), "Command1");
    chooseMenu(game.main(), "mnuNewGame");
    QCOMPARE(TestGame::visibleWindows(), QStringList({"NewGame"}));
    NewGame &dialog = *game.windows.newGame.window();
    QCOMPARE(dialog.size(), QSize(106, 50)); // 104 x 48 inside a one-pixel border
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));
    game.random.value = 0.5;
    game.clickButton(&dialog, "Command1");
    QCOMPARE(TestGame::visibleWindows(), QStringList({"VantMain"}));
    VantMain &main = *game.windows.vantMain.window();
    QCOMPARE(game.scoreCaption(), QStringLiteral("0"));
    QCOMPARE(int(game.state.score), 0);
    QCOMPARE(int(game.state.currentRow), 1);
    QCOMPARE(int(game.state.codeColor[0]), 4);
    QVERIFY(checkButton(main)->isEnabled());
    QVERIFY(!main.board().state().compColors[0].visible);
    QCOMPARE(keyPegs(main, 1), QList<QColor>({kGrey, kGrey, kGrey, kGrey}));
}

void TestWholeGame::newGameThenNo_data()
{
    QTest::addColumn<bool>("listOpen");
    QTest::newRow("list open") << true;
    QTest::newRow("no other window") << false;
}

void TestWholeGame::newGameThenNo()
{
    QFETCH(bool, listOpen);
    TestGame game;
    if (listOpen) {
        chooseMenu(game.main(), "mnuHScores");
    }
    chooseMenu(game.main(), "mnuNewGame");
    game.clickButton(game.windows.newGame.window(), "Command2");
    QCOMPARE(TestGame::visibleWindows(), listOpen ? QStringList({"HScoreList"}) : QStringList());
    if (listOpen) {
        game.windows.hScoreList.unload();
        QCOMPARE(readFile(game.services.scoreFilePath), "\r\n");
        QCOMPARE(TestGame::visibleWindows(), QStringList());
    }
}

void TestWholeGame::wonGameReachesTheFile()
{
    TestGame game;
    writeFile(game.services.scoreFilePath, "45 - Ann\r\n\r\n");

    game.random.value = 0.5;
    game.main();
    game.setGuess(1, {1, 1, 1, 1});
    game.checkColors();
    game.setGuess(2, {4, 4, 3, 2});
    game.checkColors();
    ScoreAdder &dialog = *game.windows.scoreAdder.window();
    auto *name = dialog.findChild<QLineEdit *>("Text1");
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClicks(name, "Bob");
    game.clickButton(&dialog, "Command1");
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList", "VantMain"}));
    QCOMPARE(game.state.playerName, std::string("Bob"));
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(game.services.scoreFilePath), "21 - Bob\r\n45 - Ann\r\n\r\n");
}

// Many games in one process, each ended by "New Game" and "Yes": nothing piles up.
void TestWholeGame::soakOfManyGames()
{
    TestGame game;
    game.random.value = 0.5;
    for (int round = 0; round < 200; ++round) {
        VantMain &main = game.main();
        switch (round % 3) {
        case 0: // won on row 2, then the entry goes into the list
            game.setGuess(1, {1, 1, 1, 1});
            game.checkColors();
            game.setGuess(2, {4, 4, 3, 2});
            game.checkColors();
            game.clickButton(game.windows.scoreAdder.window(), "Command1");
            break;
        case 1: // lost
            for (int row = 1; row <= kRows; ++row) {
                game.checkColors();
            }
            break;
        default: // given up
            game.clickButton(&main, "Command1");
            break;
        }
        chooseMenu(main, "mnuNewGame");
        game.clickButton(game.windows.newGame.window(), "Command1");
        QCOMPARE(int(game.state.score), 0);
        QCOMPARE(int(game.state.currentRow), 1);
        QStringList expected{"VantMain"};
        if (round > 0 || round % 3 == 0) {
            expected.prepend("HScoreList");
        }
        QCOMPARE(TestGame::visibleWindows(), expected);
        // Popups such as the menu bar's overflow menu belong to their window; count the rest.
        const QWidgetList all = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(all.begin(), all.end(), [](QWidget *w) { return !w->parent(); }),
                 expected.size());
    }
    QCOMPARE(game.windows.hScoreList.window()->entries().size(), 67);
    QCOMPARE(game.state.playerName, std::string("Player Name"));
}

QTEST_MAIN(TestWholeGame)
#include "tst_wholegame.moc"
