#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <memory>
#include <set>

using namespace LabelClicker;

// Colour and key-peg codes written as digits, "1432" for yellow, blue, green, red.
template <class T, std::size_t N> QString digits(const std::array<T, N> &values)
{
    QString text;
    for (const T value : values) {
        text += QString::number(static_cast<int>(value));
    }
    return text;
}

class TestWholeGame : public QObject
{
    Q_OBJECT

private slots:
    // Whole games played with the mouse, the keys and the screen reader, in the steps of
    // TestGame::play, and "@name": here the
    // screen must look like tests/golden/name.png. The code is yellow, blue, green, red at r = 0,
    // blue, blue, green, red at r = 0.5 and green, red, yellow, blue just below 1.
    void play_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("state"); // the game state at the end; a reseed before every draw
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("windows"); // left on screen at the end
        const auto won = [](int score) {
            return QStringList{"You Win!: YOU WIN!!! Your Score is: " + QString::number(score)};
        };
        const QString problem = "Variable Problem: An Error occured with the program. Values from "
                                "now on are most likely Incorrect.";
        const QStringList main{"VantMain"}, both{"ScoreAdder", "VantMain"}, none;

        // Clicks on rows that are not current change nothing; the key pegs of "1340" show scrambled
        // as red, grey, white, white; a fifth click comes back to yellow; a press released over the
        // next peg is no click. Giving up twice (Return on the focused button) shows the code and a
        // score of 0, but keeps Score.
        QTest::newRow("played, then given up")
            << "S @fresh 1340 ! C S 2222 C 1235 D Tab @in-progress Return Return @given-up"
            << "score 23, row 3, reseeds 12" << QStringList{problem, problem} << main;
        // Four key pegs that are not all red do not win. Then no row takes keys or presses.
        QTest::newRow("lost")
            << "r1 3120 C 1234 C C C C C C C C C k1234 a1234 @lost"
            << "score 155, row 11, reseeds 44"
            << QStringList{"Looser!: You Loose! Your Score is: 155. Are you going to "
                           "let the computer beat you like that? Try again!"}
            << main;
        // A win on row 1 takes the main window away; after a later win it stays, its row still
        // bold, "Check Colors" greyed.
        QTest::newRow("won on row 1")
            << "1432 C @won-on-row-1"
            << "score 4, row 1, reseeds 8" << won(4) << QStringList{"ScoreAdder"};
        QTest::newRow("won on row 2") << "r.5 a1111 C k4432 C @won-on-row-2"
                                      << "score 21, row 2, reseeds 12" << won(21) << both;
        QTest::newRow("won on row 10") << "C C C C C C C C C 1432 C"
                                       << "score 157, row 10, reseeds 44" << won(157) << both;
        // The entry carries the score and the name as typed (here the prefilled one), in order.
        QTest::newRow("name entered")
            << "r.5 1111 C 4432 C E @name-entered"
            << "score 21, row 2, reseeds 12, list 21 - Player Name|45 - Ann" << won(21)
            << QStringList{"HScoreList", "VantMain"};
        // A second win while the first winner's dialog waits: that entry is made with the name
        // as it stands, and the dialog opens again for the new score.
        QTest::newRow("won twice") << "r.5 1111 C 4432 C N r0 Y 1432 C"
                                   << "score 4, row 1, reseeds 20, list 21 - Player Name|45 - Ann"
                                   << won(21) + won(4) << QStringList{"HScoreList", "ScoreAdder"};
        // A new game forgets the old one: score, row, code and the colours last clicked.
        QTest::newRow("new game, yes")
            << "1111 C 3000 G N @play-again r.5 Return k4432 C"
            << "score 4, row 1, reseeds 16" << won(4) << QStringList{"ScoreAdder"};
        // "No" leaves only what else is open: nothing, or the list; the main window is gone.
        QTest::newRow("new game, no") << "N X"
                                      << "score 0, row 1, reseeds 4" << none << none;
        QTest::newRow("new game, no, list open")
            << "H N X"
            << "score 0, row 1, reseeds 4, list 45 - Ann" << none << QStringList{"HScoreList"};
        // A second "High Scores" only brings the one list window to the front. After Alt, the
        // menu entry chosen with the arrow keys is highlighted.
        QTest::newRow("high scores twice") << "Alt Right @menu-keys Return H"
                                           << "score 0, row 1, reseeds 4, list 45 - Ann" << none
                                           << QStringList{"HScoreList", "VantMain"};
    }
    void play()
    {
        QFETCH(QString, script);
        QFETCH(QString, state);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, windows);
        auto owned = std::make_unique<TestGame>();
        TestGame &game = *owned;
        writeFile(game.services.scores.path, "45 - Ann\r\n\r\n");
        const QStringList parts = script.split('@');
        game.play(parts[0]);
        for (const QString &part : parts.mid(1)) {
            expectScreen(part.section(' ', 0, 0));
            game.play(part.section(' ', 1));
        }
        QString now = QString::asprintf("score %d, row %d, reseeds %d", game.state.score,
                                        game.state.currentRow, game.random.reseeds);
        if (const HScoreList *list = game.windows.hScoreList.window())
            now += ", list " + list->entries().join('|');
        QCOMPARE(now, state);
        QStringList shown;
        for (const Message &message : game.messages) {
            shown << message.title + ": " + message.text;
        }
        QCOMPARE(shown, messages);
        QCOMPARE(TestGame::visibleWindows(), windows);
        // Every window that went is gone, not merely hidden.
        processDeletes();
        const QWidgetList all = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(all.begin(), all.end(), [](QWidget *w) { return !w->parent(); }),
                 windows.size());
        // What a screen reader holds of a window goes with it, also when the whole game ends.
        QList<QAccessible::Id> ids;
        for (QWidget *w : all)
            ids << QAccessible::uniqueId(QAccessible::queryAccessibleInterface(w));
        owned.reset();
        for (QAccessible::Id id : ids)
            QVERIFY(!QAccessible::accessibleInterface(id));
    }
    // What a screen reader that reads what takes the focus says: the peg acted on by the press
    // action, a key (on the keypad too, with the focus on a button) or a click, with its new
    // colour; the focused button with what a check or giving up (by the keypad's Enter) changed.
    // A win is told by its message box.
    void spoken()
    {
        TestGame game;
        game.play("a1000 k0200 0010 C Tab Enter");
        QCOMPARE(
            TestGame::heard.join(" | "),
            "peg 1: yellow | Check Colors | peg 2: yellow | peg 2: red | peg 3: yellow | Check "
            "Colors. 1 red, 1 white, 2 grey. Score 9. Guess 2 is current. | Im Baffled!! | Im "
            "Baffled!!. Code: yellow, blue, green, red. Game over: given up.");
    }
    void scoreGuess_data()
    {
        QTest::addColumn<QString>("codeGuessKeyPegsPoints");
        QTest::newRow("one exact, two displaced") << "1123 1211 1220 5";
        QTest::newRow("an exact peg earns nothing more") << "1123 1234 1220 5";
        QTest::newRow("all displaced") << "1234 4321 2222 8";
        QTest::newRow("all exact") << "2222 2222 1111 4";
        QTest::newRow("two exact, two displaced") << "1112 2111 1122 6";
        QTest::newRow("pairs swapped") << "3311 1133 2222 8";
        QTest::newRow("unset pegs never match") << "1234 0200 1000 1";
        QTest::newRow("one colour used up by the exact peg") << "1234 2222 1000 1";
        QTest::newRow("nothing right") << "4444 1231 0000 0";
        QTest::newRow("last two exact, one displaced") << "3241 2441 1120 4";
    }
    // A second scoring of the same guess, without clearing the flags, adds nothing.
    void scoreGuess()
    {
        QFETCH(QString, codeGuessKeyPegsPoints);
        const QStringList part = codeGuessKeyPegsPoints.split(' ');
        GameState state;
        state.score = 10;
        for (int i = 0; i < kPegsPerRow; ++i) {
            state.codeColor[i] = static_cast<ColorCode>(part[0][i].digitValue());
            state.guessColor[i] = static_cast<ColorCode>(part[1][i].digitValue());
        }
        prepareForScoring(state);
        for (int call = 0; call < 2; ++call) {
            LabelClicker::scoreGuess(state);
            QCOMPARE(digits(state.keyPegs), part[2]);
            QCOMPARE(int(state.keyPegCount), 3 - int(part[2].count('0')));
            QCOMPARE(int(state.score), 10 + part[3].toInt());
        }
    }
    // The four reseeds of one draw follow each other far faster than a coarse clock ticks. Were
    // the generator simply reset to the clock, the four picks would share one r and only 15 codes
    // could come up. Blue leads one code in five (the standard deviation is about 50 draws).
    void clockSourceKeepsTheOddsOfTheCode()
    {
        ClockRandomSource random;
        GameState state;
        std::set<QString> codes;
        int blueFirst = 0;
        for (int i = 0; i < 15000; ++i) {
            drawSecretCode(state, random);
            blueFirst += state.codeValues[0] == ColorCode::Blue ? 1 : 0;
            codes.insert(digits(state.codeValues));
        }
        QVERIFY2(codes.size() > 240 && std::abs(blueFirst - 3000) < 400,
                 qPrintable(QStringLiteral("%1 codes, %2 blue").arg(codes.size()).arg(blueFirst)));
    }
};

QTEST_MAIN(TestWholeGame)
#include "tst_wholegame.moc"
