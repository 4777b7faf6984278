#include "tests/support/testgame.h"
#include "ui/main/boardwidget.h"
#include "ui/main/vantmain.h"

#include <QAccessible>
#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace BoardGeometry;

namespace {

QImage grabBoard(BoardWidget &board)
{
    return board.grab().toImage();
}

QColor pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

int darkPixels(const QImage &image, const QRect &box)
{
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            count += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        }
    }
    return count;
}

const QColor kGrey(192, 192, 192);
const QColor kBlack(0, 0, 0);

} // namespace

class TestVantMain : public QObject
{
    Q_OBJECT

private slots:
    void windowIsFixedWithCloseBoxOnly();
    void designStateOnPixels();
    void codePegsArePaintedButHidden();
    void clicksReachRowOneOnly();
    void quickSecondClickStillCounts();
    void colourCycleShowsOnThePeg();
    void badIndexShowsVariableProblem();
    void loadingAgainGivesAFreshGame();
    void focusStartsOnCheckColorsAndTabsBetweenButtons();
    void everyItemHasAnAccessibleName();
};

void TestVantMain::windowIsFixedWithCloseBoxOnly()
{
    TestGame game;
    VantMain &main = game.main();
    QCOMPARE(main.windowTitle(), QStringLiteral("Vantrel"));
    QCOMPARE(main.centralWidget()->size(), QSize(226, 303));
    QCOMPARE(main.minimumSize(), main.maximumSize());
    const Qt::WindowFlags flags = main.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    QStringList captions;
    for (QAction *action : main.menuBar()->actions()) {
        captions << action->objectName() + '=' + action->text() +
                        (action->isEnabled() ? "" : " (greyed)");
    }
    QCOMPARE(captions, QStringList({"mnuNewGame=New Game", "mnuHScores=High Scores",
                                    "mnuRand=Rand (greyed)"}));
    auto *check = main.findChild<QPushButton *>("CheckClicker");
    auto *giveUp = main.findChild<QPushButton *>("Command1");
    QCOMPARE(check->text(), QStringLiteral("Check Colors"));
    QCOMPARE(check->geometry(), QRect(128, 256, 89, 17));
    QCOMPARE(giveUp->text(), QStringLiteral("Im Baffled!!"));
    QCOMPARE(giveUp->geometry(), QRect(128, 280, 89, 17));
}

void TestVantMain::designStateOnPixels()
{
    TestGame game;
    const QImage image = grabBoard(game.board());
    QCOMPARE(image.size(), QSize(226, 303));

    // Grid: frame corners, the two column separators, a row separator over a row label.
    for (QPoint p :
         {QPoint(8, 8), QPoint(216, 8), QPoint(8, 248), QPoint(216, 248), QPoint(72, 100),
          QPoint(144, 100), QPoint(40, 32), QPoint(200, 224), QPoint(4, 248), QPoint(8, 240)}) {
        if (p == QPoint(4, 248)) {
            QCOMPARE(pixel(image, p.x(), p.y()), kGrey); // the frame starts at x = 8
            continue;
        }
        QCOMPARE(pixel(image, p.x(), p.y()), kBlack);
    }
    QCOMPARE(pixel(image, 60, 12), kGrey);
    QCOMPARE(pixel(image, 220, 100), kGrey);

    for (int row = 1; row <= 10; ++row) {
        for (int index = 0; index < 4; ++index) {
            const QRect peg = guessPegRect(row, index);
            QCOMPARE(pixel(image, peg.center().x(), peg.center().y()), kGrey);
            QCOMPARE(pixel(image, peg.left() + 4, peg.top()), kBlack);    // outline, top
            QCOMPARE(pixel(image, peg.left() + 4, peg.bottom()), kBlack); // outline, bottom
            QCOMPARE(pixel(image, peg.left(), peg.top()), kGrey);         // round corner
            const QRect key = keyPegRect(row, index);
            QCOMPARE(pixel(image, key.center().x(), key.center().y()), kGrey);
            QCOMPARE(pixel(image, key.left(), key.top()), kBlack); // square corner
            QCOMPARE(pixel(image, key.right(), key.bottom()), kBlack);
        }
    }
    // Only the first row label is bold.
    const int first = darkPixels(image, rowLabelRect(1).adjusted(1, 0, -1, -2));
    const int second = darkPixels(image, rowLabelRect(2).adjusted(1, 0, -1, -2));
    QVERIFY2(first > second * 5 / 4, qPrintable(QStringLiteral("%1 vs %2").arg(first).arg(second)));
}

void TestVantMain::codePegsArePaintedButHidden()
{
    TestGame game; // r = 0 draws yellow, blue, green, red
    BoardWidget &board = game.board();
    const QList<QColor> expected{{255, 255, 0}, {0, 0, 255}, {0, 192, 0}, {255, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(board.state().compColors[i].fill, expected[i]);
        QVERIFY(!board.state().compColors[i].visible);
    }
    QImage image = grabBoard(board);
    QCOMPARE(pixel(image, 156, 252), kGrey);

    for (int i = 0; i < 4; ++i) {
        board.setCompColorVisible(i, true);
    }
    image = grabBoard(board);
    for (int i = 0; i < 4; ++i) {
        const QRect peg = codePegRect(i);
        QCOMPARE(pixel(image, peg.center().x(), peg.center().y()), expected[i]);
        QCOMPARE(pixel(image, peg.left() + 4, peg.top()), kBlack);
    }
}

void TestVantMain::clicksReachRowOneOnly()
{
    TestGame game;
    BoardWidget &board = game.board();
    QSignalSpy clicks(&board, &BoardWidget::pegClicked);
    for (int row = 2; row <= 10; ++row) {
        game.clickPeg(row, 0);
    }
    QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(60, 20)); // a row label
    QCOMPARE(clicks.count(), 0);

    // The corner pixel of a target lies inside its 9 x 9 box.
    QTest::mouseClick(&board, Qt::LeftButton, {}, guessPegRect(1, 3).topLeft());
    QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(81, 17));
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(0), QList<QVariant>({1, 3}));
    QCOMPARE(clicks.at(1), QList<QVariant>({1, 0}));
    QCOMPARE(int(game.state.guessColor[0]), 1);
    QCOMPARE(int(game.state.guessColor[1]), 0);

    // A press on one peg released over another is no click.
    QTest::mousePress(&board, Qt::LeftButton, {}, pegCentre(1, 1));
    QTest::mouseRelease(&board, Qt::LeftButton, {}, pegCentre(1, 2));
    QCOMPARE(clicks.count(), 2);
}

void TestVantMain::quickSecondClickStillCounts()
{
    TestGame game;
    BoardWidget &board = game.board();
    const QPoint centre = pegCentre(1, 2);
    // What a window system delivers for two quick clicks: the second press is a double-click.
    QTest::mousePress(&board, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(&board, Qt::LeftButton, {}, centre);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, centre, board.mapToGlobal(centre),
                            Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&board, &doubleClick);
    QTest::mouseRelease(&board, Qt::LeftButton, {}, centre);
    QCOMPARE(int(game.state.guessColor[2]), 2);
}

void TestVantMain::colourCycleShowsOnThePeg()
{
    TestGame game;
    BoardWidget &board = game.board();
    const QList<QColor> cycle{{255, 255, 0}, {255, 0, 0}, {0, 192, 0}, {0, 0, 255}, {255, 255, 0}};
    for (const QColor &colour : cycle) {
        game.clickPeg(1, 1);
        const QImage image = grabBoard(board);
        QCOMPARE(pixel(image, pegCentre(1, 1).x(), pegCentre(1, 1).y()), colour);
        QCOMPARE(pixel(image, pegCentre(2, 1).x(), pegCentre(2, 1).y()), kGrey);
        QCOMPARE(pixel(image, pegCentre(1, 0).x(), pegCentre(1, 0).y()), kGrey);
    }
    QCOMPARE(int(game.state.guessColor[1]), 1);
}

void TestVantMain::badIndexShowsVariableProblem()
{
    TestGame game;
    VantMain &main = game.main();
    game.clickPeg(1, 0);
    for (int index : {-1, 4}) {
        main.cyclePegColor(1, index);
    }
    QCOMPARE(game.messages.size(), 2);
    QCOMPARE(game.messages[0].title, QStringLiteral("Variable Problem"));
    QCOMPARE(game.messages[0].text,
             QStringLiteral("An Error occured with the program. Values from now on are most "
                            "likely Incorrect."));
    QCOMPARE(int(game.state.guessColor[0]), 1);
    QCOMPARE(main.board().state().colorPeg[0][0].fill, QColor(255, 255, 0));
}

void TestVantMain::loadingAgainGivesAFreshGame()
{
    TestGame game;
    QCOMPARE(int(game.state.currentRow), 0); // nothing loaded yet
    game.clickPeg(1, 0);
    game.clickPeg(1, 0);
    game.clickPeg(1, 0);
    game.state.score = 40;
    game.state.currentRow = 7;
    game.state.playerName = "Ann";
    game.windows.vantMain.unload();
    processDeletes();
    QVERIFY(!game.windows.vantMain.isLoaded());

    game.random.value = kJustBelowOne; // green, red, yellow, blue
    BoardWidget &board = game.board();
    QCOMPARE(int(game.state.score), 0);
    QCOMPARE(int(game.state.currentRow), 1);
    QCOMPARE(int(game.state.codeColor[0]), 3);
    QCOMPARE(board.state().compColors[0].fill, QColor(0, 192, 0));
    QCOMPARE(board.state().colorPeg[0][0].fill, kGrey);
    QCOMPARE(game.state.playerName, std::string("Ann"));
    // The stored guess was cleared with the board: the first click shows yellow.
    game.clickPeg(1, 0);
    QCOMPARE(board.state().colorPeg[0][0].fill, QColor(255, 255, 0));
}

void TestVantMain::focusStartsOnCheckColorsAndTabsBetweenButtons()
{
    TestGame game;
    VantMain &main = game.main();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    auto *check = main.findChild<QPushButton *>("CheckClicker");
    auto *giveUp = main.findChild<QPushButton *>("Command1");
    QCOMPARE(QApplication::focusWidget(), check);
    QTest::keyClick(&main, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), giveUp);
    QTest::keyClick(&main, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), check);
}

void TestVantMain::everyItemHasAnAccessibleName()
{
    TestGame game;
    game.clickPeg(1, 1);
    game.clickPeg(1, 1);
    QAccessibleInterface *board = QAccessible::queryAccessibleInterface(&game.board());
    QVERIFY(board);
    QStringList names;
    for (int i = 0; i < board->childCount(); ++i) {
        names << board->child(i)->text(QAccessible::Name);
    }
    QVERIFY(names.contains("Guess #1: (current)"));
    QVERIFY(names.contains("Guess 1, peg 2: red"));
    QVERIFY(names.contains("Guess 3, peg 4: grey"));
    QVERIFY(names.contains("Guess 10, key peg 1: grey"));
    QVERIFY(names.contains("Code peg 1: hidden")); // the code is not given away
    QVERIFY(names.contains("Check Colors"));
    QVERIFY(!names.contains(QString()));
}

QTEST_MAIN(TestVantMain)
#include "tst_vantmain.moc"
