#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/vantmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QTest>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void theListIsWrittenOnlyWhenItCloses();
    void aListThatWasNotReadIsNeverWrittenOver();
    void enterNameMakesTheEntry_data();
    void enterNameMakesTheEntry();
};

// Shown again, the loaded list reads no file, keeps what was added and comes back from
// minimised; only its close writes, adding to what the file holds by then. A very long entry
// shows only its start but is kept whole.
void TestDialogs::theListIsWrittenOnlyWhenItCloses()
{
    TestGame game;
    const QString &path = game.services.scoreFilePath;
    const QString longEntry = "1 - " + QString(200000, u'x');
    writeFile(path, "9 - Cy\r\n" + longEntry.toLatin1() + "\r\n\r\n");
    HScoreList *list = &game.windows.hScoreList.show();
    list->addEntry("120 - Bob");
    writeFile(path, "8 - Changed\r\n\r\n");
    list->showMinimized();
    game.state.score = 21;
    game.clickButton(&game.windows.scoreAdder.show(), "Command1");
    QCOMPARE(&game.windows.hScoreList.show(), list);
    QVERIFY(!list->isMinimized());
    QCOMPARE(list->entries(), QStringList({longEntry, "120 - Bob", "21 - Player Name", "9 - Cy"}));
    const QString shown =
        list->findChild<QAbstractItemView *>()->model()->index(0, 0).data().toString();
    QCOMPARE(shown, longEntry.left(100) + u'\u2026');
    QCOMPARE(readFile(path), "8 - Changed\r\n\r\n");
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(path), "120 - Bob\r\n21 - Player Name\r\n8 - Changed\r\n\r\n");
    QVERIFY(game.messages.isEmpty());
}

// A list that could not be read shows empty, and its close never replaces the file with
// that: it reads the file again and adds to it, or, if it still cannot, names what was lost.
void TestDialogs::aListThatWasNotReadIsNeverWrittenOver()
{
    TestGame game;
    const QString path = game.services.scoreFilePath;
    QVERIFY(QDir().mkdir(path));
    game.windows.hScoreList.show().addEntry("12 - Eve");
    QVERIFY(game.windows.hScoreList.window()->entries() == QStringList{"12 - Eve"});
    QVERIFY(QDir().rmdir(path));
    writeFile(path, "45 - Ann\r\n\r\n");
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(path), "12 - Eve\r\n45 - Ann\r\n\r\n");

    const QString blocker = game.dir.filePath("not-a-folder");
    writeFile(blocker, "old content");
    game.services.scoreFilePath = blocker + "/High Scores.trel";
    game.windows.hScoreList.show().addEntry("13 - Fay");
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(blocker), "old content");
    QCOMPARE(game.messages.size(), 3);
    for (const Message &message : game.messages) {
        QCOMPARE(message.title, QStringLiteral("High Scores"));
    }
    QVERIFY2(game.messages[2].text.contains(blocker) &&
                 game.messages[2].text.contains("\"13 - Fay\""),
             qPrintable(game.messages[2].text));
}

// Typed or pasted, a name loses its control characters first, then is held to 20 characters,
// never splitting a character outside the basic plane. Escape does nothing; a click into the
// box empties it; Enter presses "Enter Name".
void TestDialogs::enterNameMakesTheEntry_data()
{
    QTest::addColumn<QString>("steps"); // k: click into the box, t:text typed, p:text pasted
    QTest::addColumn<QString>("entry");
    QTest::newRow("at once") << ""
                             << "45 - Player Name";
    QTest::newRow("typed after the prefilled name") << "t:Ann-and-a-long-name"
                                                    << "45 - Player NameAnn-and-a";
    QTest::newRow("cleared by every click") << "t:Bob|k|t:Ann|k|t:Zed|Enter"
                                            << "45 - Zed";
    QTest::newRow("cleared, empty") << "k"
                                    << "45 - ";
    QTest::newRow("outside Latin-1") << "k|p:Zo\u00eb\u20ac\U0001F600"
                                     << "45 - Zo\u00eb??";
    QTest::newRow("line breaks and tabs") << "k|p:Al\r\nB\to\nb"
                                          << "45 - AlBob";
    QTest::newRow("stripped before the limit") << "k|p:\t\t\t\t\t\t\t\t\t\t\t\t12345678901234567890"
                                               << "45 - 12345678901234567890";
    QTest::newRow("C1, DEL and separators") << "k|p:A\u0085\u009b2J\u007f\u2028\u2029B"
                                            << "45 - A2JB";
    QTest::newRow("pair at the limit") << "k|p:1234567890123456789\U0001F600"
                                       << "45 - 1234567890123456789";
    QTest::newRow("pair within") << "k|p:123456789012345678\U0001F600x"
                                 << "45 - 123456789012345678?";
}

void TestDialogs::enterNameMakesTheEntry()
{
    QFETCH(QString, steps);
    QFETCH(QString, entry);
    TestGame game;
    game.state.score = 45;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    auto *name = dialog.findChild<QLineEdit *>("Text1");
    QCOMPARE(name->cursorPosition(), 11);
    QTest::keyClick(name, Qt::Key_Escape);
    bool entered = false;
    for (const QString &step : steps.split('|', Qt::SkipEmptyParts)) {
        if (step == "k") {
            QTest::mouseClick(name, Qt::LeftButton);
        } else if (step == "Enter") {
            QTest::keyClick(name, Qt::Key_Return);
            entered = true;
        } else if (step.size() > 1) {
            QApplication::clipboard()->setText(step.mid(2));
            step[0] == 't' ? QTest::keyClicks(name, step.mid(2)) : name->paste();
        }
    }
    // Score changes after the dialog opened (a new game beside it) do not change the entry.
    game.state.score = 0;
    if (!entered) {
        game.clickButton(&dialog, "Command1");
    }
    processDeletes();
    QVERIFY(!game.windows.scoreAdder.isLoaded());
    QCOMPARE(game.windows.hScoreList.window()->entries(), QStringList({entry}));
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(game.services.scoreFilePath), entry.toLatin1() + "\r\n\r\n");
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
