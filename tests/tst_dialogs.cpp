#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/vantmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

QLineEdit *nameBox(ScoreAdder &dialog)
{
    return dialog.findChild<QLineEdit *>("Text1");
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void listLoadsSortedAndSavesOnClose();
    void shownAgainTheListComesBackAsItWas();
    void aListThatWasNotReadIsNeverWrittenOver();
    void listWindowLayout();
    void scoreAdderLayoutAndCaret();
    void enterNameAddsTheEntry_data();
    void enterNameAddsTheEntry();
    void namesKeepWhatCanBeStored_data();
    void namesKeepWhatCanBeStored();
    void enterNameRecordsTheScoreItShowed();
};

void TestDialogs::listLoadsSortedAndSavesOnClose()
{
    TestGame game;
    const QString &path = game.services.scoreFilePath;
    writeFile(path, "9 - Cy\r\n45 - Ann\r\n\r\n");
    HScoreList &list = game.windows.hScoreList.show();
    QCOMPARE(list.entries(), QStringList({"45 - Ann", "9 - Cy"}));
    list.addEntry("120 - Bob");
    QCOMPARE(list.entries(), QStringList({"120 - Bob", "45 - Ann", "9 - Cy"}));
    QCOMPARE(readFile(path), "9 - Cy\r\n45 - Ann\r\n\r\n");
    game.windows.hScoreList.unload();
    processDeletes();
    QVERIFY(!game.windows.hScoreList.isLoaded());
    QCOMPARE(readFile(path), "120 - Bob\r\n45 - Ann\r\n9 - Cy\r\n\r\n");

    // A zero-byte file is an empty list, and closing it writes the one empty line.
    writeFile(path, {});
    QVERIFY(game.windows.hScoreList.show().entries().isEmpty());
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(path), "\r\n");
    QVERIFY(game.messages.isEmpty());
}

// Showing a loaded list reads no file and keeps what was added, and a minimised list comes
// back into view, also when "Enter Name" adds to it.
void TestDialogs::shownAgainTheListComesBackAsItWas()
{
    TestGame game;
    writeFile(game.services.scoreFilePath, "45 - Ann\r\n\r\n");
    HScoreList *first = &game.windows.hScoreList.show();
    first->addEntry("7 - Dee");
    writeFile(game.services.scoreFilePath, "1 - Changed\r\n\r\n");
    first->showMinimized();
    QCOMPARE(&game.windows.hScoreList.show(), first);
    QVERIFY(!first->isMinimized());
    QCOMPARE(first->entries(), QStringList({"45 - Ann", "7 - Dee"}));

    first->showMinimized();
    game.state.score = 21;
    game.clickButton(&game.windows.scoreAdder.show(), "Command1");
    QVERIFY(!first->isMinimized());
    QCOMPARE(first->entries(), QStringList({"21 - Player Name", "45 - Ann", "7 - Dee"}));
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList"}));
}

// A list that could not be read shows empty, and its close never replaces the file with
// that: it reads the file again and adds to it, or, if it still cannot, names what was lost.
void TestDialogs::aListThatWasNotReadIsNeverWrittenOver()
{
    TestGame game;
    const QString &path = game.services.scoreFilePath;
    QVERIFY(QDir().mkdir(path));
    HScoreList &list = game.windows.hScoreList.show();
    QVERIFY(list.entries().isEmpty());
    QCOMPARE(game.messages.size(), 1);
    QVERIFY(game.messages[0].text.contains(path));
    list.addEntry("12 - Eve");
    QVERIFY(QDir().rmdir(path));
    writeFile(path, "45 - Ann\r\n\r\n");
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(path), "12 - Eve\r\n45 - Ann\r\n\r\n");
    QCOMPARE(game.messages.size(), 1);

    const QString blocker = game.dir.filePath("not-a-folder");
    writeFile(blocker, "old content");
    game.services.scoreFilePath = blocker + "/High Scores.trel";
    game.windows.hScoreList.show().addEntry("13 - Fay");
    game.windows.hScoreList.unload();
    processDeletes();
    QCOMPARE(readFile(blocker), "old content");
    QCOMPARE(game.messages.size(), 3);
    QCOMPARE(game.messages[2].title, QStringLiteral("High Scores"));
    QVERIFY2(game.messages[2].text.contains(blocker) && game.messages[2].text.contains("13 - Fay"),
             qPrintable(game.messages[2].text));
    QVERIFY(!game.windows.hScoreList.isLoaded());
}

void TestDialogs::listWindowLayout()
{
    TestGame game;
    const QString longName = QString(200000, u'x');
    writeFile(game.services.scoreFilePath, ("1 - " + longName + "\r\n\r\n").toLatin1());
    HScoreList &list = game.windows.hScoreList.show();
    QCOMPARE(list.windowTitle(), QStringLiteral("Vantrel High Scores!!"));
    QCOMPARE(list.size(), QSize(280, 142));
    QCOMPARE(list.minimumSize(), list.maximumSize());
    auto *view = list.findChild<QAbstractItemView *>("List1");
    QCOMPARE(view->geometry(), QRect(0, 0, 281, 142));
    QCOMPARE(view->font().pixelSize(), 16);
    QCOMPARE(view->palette().color(QPalette::Base), QColor(192, 192, 192));
    // A very long entry is shown by its start only, and kept whole.
    const QString shown = view->model()->index(0, 0).data().toString();
    QVERIFY(shown.size() <= 101 && shown.endsWith(QChar(0x2026)));
    QCOMPARE(list.entries(), QStringList{"1 - " + longName});
}

void TestDialogs::scoreAdderLayoutAndCaret()
{
    TestGame game;
    game.state.score = 45;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QString());
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(dialog.size(), QSize(211, 83)); // 209 x 81 inside a one-pixel border
    QCOMPARE(dialog.findChild<QLabel *>("AddScorelbl")->text(), QStringLiteral("45"));
    QVERIFY(dialog.findChild<QLabel *>("AddScorelbl")->font().bold());
    auto *label = dialog.findChild<QLabel *>("Label3");
    QCOMPARE(label->text(), QStringLiteral("Enter your name for the High Scores list."));
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= 193);

    QLineEdit *name = nameBox(dialog);
    QCOMPARE(QApplication::focusWidget(), name);
    QCOMPARE(name->text(), QStringLiteral("Player Name"));
    QCOMPARE(name->cursorPosition(), 11);
    QVERIFY(!name->hasSelectedText());
    QTest::keyClicks(name, "Ann-and-a-long-name");
    QCOMPARE(name->text(), QStringLiteral("Player NameAnn-and-a")); // at most 20 characters
    QTest::keyClick(name, Qt::Key_Escape);                          // does nothing
    QVERIFY(game.windows.scoreAdder.isLoaded());

    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(210, 82), QColor(Qt::black));
    QCOMPARE(image.pixelColor(3, 3), QColor(192, 192, 192));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY((dialog.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
}

void TestDialogs::enterNameAddsTheEntry_data()
{
    QTest::addColumn<bool>("clickFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pressEnterKey");
    QTest::addColumn<QString>("entry");
    QTest::newRow("click, type, button") << true << "Ann" << false << "45 - Ann";
    QTest::newRow("type without clearing") << false << "Ann" << false << "45 - Player NameAnn";
    QTest::newRow("at once") << false << "" << false << "45 - Player Name";
    QTest::newRow("cleared, empty") << true << "" << false << "45 - ";
    QTest::newRow("Enter key") << true << "Ann" << true << "45 - Ann";
    QTest::newRow("outside Latin-1")
        << true << "Zo\u00eb \u20ac\U0001F600" << false << "45 - Zo\u00eb ??";
}

void TestDialogs::enterNameAddsTheEntry()
{
    QFETCH(bool, clickFirst);
    QFETCH(QString, typed);
    QFETCH(bool, pressEnterKey);
    QFETCH(QString, entry);
    TestGame game;
    game.state.score = 45;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    QLineEdit *name = nameBox(dialog);
    if (clickFirst) {
        QTest::keyClicks(name, "Bob");
        QTest::mouseClick(name, Qt::LeftButton);
    }
    name->insert(typed); // as typed at the caret
    if (pressEnterKey) {
        QTest::keyClick(name, Qt::Key_Return);
    } else {
        game.clickButton(&dialog, "Command1");
    }
    processDeletes();
    QVERIFY(!game.windows.scoreAdder.isLoaded());
    QCOMPARE(game.windows.hScoreList.window()->entries(), QStringList({entry}));
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(game.services.scoreFilePath), entry.toLatin1() + "\r\n\r\n");
}

// Control characters go first, then the 20-character limit applies to what is left, and a
// character outside the basic plane is kept or dropped whole.
void TestDialogs::namesKeepWhatCanBeStored_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("name");
    QTest::newRow("line breaks and tabs") << "Al\r\nB\to\nb"
                                          << "AlBob";
    QTest::newRow("stripped before the limit") << "\t\t\t\t\t\t\t\t\t\t\t\t12345678901234567890"
                                               << "12345678901234567890";
    QTest::newRow("C1, DEL and separators") << "A\u0085\u009b2J\u007f\u2028\u2029B"
                                            << "A2JB";
    QTest::newRow("pair at the limit") << "1234567890123456789\U0001F600"
                                       << "1234567890123456789";
    QTest::newRow("pair within") << "123456789012345678\U0001F600x"
                                 << "123456789012345678\U0001F600";
}

void TestDialogs::namesKeepWhatCanBeStored()
{
    QFETCH(QString, pasted);
    QFETCH(QString, name);
    TestGame game;
    QLineEdit *box = nameBox(game.windows.scoreAdder.show());
    QTest::mouseClick(box, Qt::LeftButton);
    QApplication::clipboard()->setText(pasted);
    box->paste();
    QCOMPARE(box->text(), name);
}

void TestDialogs::enterNameRecordsTheScoreItShowed()
{
    TestGame game;
    game.main();
    game.state.score = 21;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    // A new game in the main window beside the dialog sets Score back to 0.
    game.windows.vantMain.unload();
    processDeletes();
    game.main();
    QCOMPARE(int(game.state.score), 0);
    game.clickButton(&dialog, "Command1");
    QCOMPARE(game.windows.hScoreList.window()->entries(), QStringList({"21 - Player Name"}));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
