#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/boardwidget.h"
#include "ui/main/vantmain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    void missingOrEmptyFileGivesAnEmptyList_data();
    void missingOrEmptyFileGivesAnEmptyList();
    void showingTheListTwiceReadsOnce();
    void failedSaveIsReportedAndKeepsTheOldFile();
    void unreadableFileIsReported();
    void listWindowLayout();
    void scoreAdderLayoutAndCaret();
    void enterNameAddsTheEntry_data();
    void enterNameAddsTheEntry();
    void enterNameWithTheListOpenReadsNoFile();
    void enterNameRecordsTheScoreItShowed();
    void namesCannotBreakTheFile();
};

void TestDialogs::listLoadsSortedAndSavesOnClose()
{
    TestGame game;
    writeFile(game.services.scoreFilePath, "45 - Ann\r\n9 - Cy\r\n\r\n");
    HScoreList &list = game.windows.hScoreList.show();
    QCOMPARE(list.entries(), QStringList({"45 - Ann", "9 - Cy"}));
    list.addEntry("120 - Bob");
    QCOMPARE(list.entries(), QStringList({"120 - Bob", "45 - Ann", "9 - Cy"}));
    QCOMPARE(readFile(game.services.scoreFilePath), "45 - Ann\r\n9 - Cy\r\n\r\n");

    game.windows.hScoreList.unload();
    processDeletes();
    QVERIFY(!game.windows.hScoreList.isLoaded());
    QCOMPARE(readFile(game.services.scoreFilePath), "120 - Bob\r\n45 - Ann\r\n9 - Cy\r\n\r\n");
    QVERIFY(game.messages.isEmpty());
}

void TestDialogs::missingOrEmptyFileGivesAnEmptyList_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << false;
    QTest::newRow("zero bytes") << true;
}

void TestDialogs::missingOrEmptyFileGivesAnEmptyList()
{
    QFETCH(bool, exists);
    TestGame game;
    if (exists) {
        writeFile(game.services.scoreFilePath, {});
    }
    QVERIFY(game.windows.hScoreList.show().entries().isEmpty());
    game.windows.hScoreList.unload();
    QVERIFY(game.messages.isEmpty());
    QCOMPARE(readFile(game.services.scoreFilePath), "\r\n");
}

void TestDialogs::showingTheListTwiceReadsOnce()
{
    TestGame game;
    writeFile(game.services.scoreFilePath, "45 - Ann\r\n\r\n");
    HScoreList *first = &game.windows.hScoreList.show();
    first->addEntry("7 - Dee");
    writeFile(game.services.scoreFilePath, "1 - Changed\r\n\r\n");
    HScoreList *second = &game.windows.hScoreList.show();
    QCOMPARE(second, first);
    QCOMPARE(second->entries(), QStringList({"45 - Ann", "7 - Dee"}));
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList"}));
}

void TestDialogs::failedSaveIsReportedAndKeepsTheOldFile()
{
    TestGame game;
    // The folder path is a file, so nothing can be written beside it; root cannot either.
    const QString blocker = game.dir.filePath("not-a-folder");
    writeFile(blocker, "old content");
    game.services.scoreFilePath = blocker + "/High Scores.trel";
    game.windows.hScoreList.show().addEntry("12 - Eve");
    game.windows.hScoreList.unload();
    processDeletes();
    QCOMPARE(readFile(blocker), "old content");
    QCOMPARE(game.messages.size(), 1);
    QCOMPARE(game.messages[0].title, QStringLiteral("High Scores"));
    QVERIFY2(game.messages[0].text.contains(game.services.scoreFilePath),
             qPrintable(game.messages[0].text));
    QVERIFY(!game.windows.hScoreList.isLoaded());
}

void TestDialogs::unreadableFileIsReported()
{
    TestGame game;
    QVERIFY(QDir(game.dir.path()).mkdir("High Scores.trel"));
    QVERIFY(game.windows.hScoreList.show().entries().isEmpty());
    QCOMPARE(game.messages.size(), 1);
    QVERIFY(game.messages[0].text.contains("High Scores.trel"));
    game.windows.hScoreList.unload(); // the save fails too, and says so
    QCOMPARE(game.messages.size(), 2);
    QVERIFY(QFileInfo(game.services.scoreFilePath).isDir());
}

void TestDialogs::listWindowLayout()
{
    TestGame game;
    HScoreList &list = game.windows.hScoreList.show();
    QCOMPARE(list.windowTitle(), QStringLiteral("Vantrel High Scores!!"));
    QCOMPARE(list.size(), QSize(280, 142));
    QCOMPARE(list.minimumSize(), list.maximumSize());
    auto *view = list.findChild<QAbstractItemView *>("List1");
    QCOMPARE(view->geometry(), QRect(0, 0, 281, 142));
    QCOMPARE(view->font().pixelSize(), 16);
    QCOMPARE(view->palette().color(QPalette::Base), QColor(192, 192, 192));
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

    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(210, 82), QColor(Qt::black));
    QCOMPARE(image.pixelColor(3, 3), QColor(192, 192, 192));
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
    QTest::newRow("outside Latin-1") << true << "Zo\u00eb \u20ac" << false << "45 - Zo\u00eb ?";
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
    QVERIFY(game.windows.hScoreList.isLoaded());
    QCOMPARE(game.windows.hScoreList.window()->entries(), QStringList({entry}));
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(game.services.scoreFilePath),
             entry.toLatin1().replace("\xe2\x82\xac", "?") + "\r\n\r\n");
}

void TestDialogs::enterNameWithTheListOpenReadsNoFile()
{
    TestGame game;
    writeFile(game.services.scoreFilePath, "9 - Cy\r\n\r\n");
    game.windows.hScoreList.show();
    QFile::remove(game.services.scoreFilePath);
    game.state.score = 21;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    game.clickButton(&dialog, "Command1");
    QCOMPARE(game.windows.hScoreList.window()->entries(),
             QStringList({"21 - Player Name", "9 - Cy"}));
    QCOMPARE(TestGame::visibleWindows(), QStringList({"HScoreList"}));
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

void TestDialogs::namesCannotBreakTheFile()
{
    TestGame game;
    game.state.score = 9;
    ScoreAdder &dialog = game.windows.scoreAdder.show();
    QLineEdit *name = nameBox(dialog);
    QTest::mouseClick(name, Qt::LeftButton);
    QApplication::clipboard()->setText("Al\r\nB\to\nb");
    name->paste();
    QCOMPARE(name->text(), QStringLiteral("AlBob"));
    game.clickButton(&dialog, "Command1");
    game.windows.hScoreList.unload();
    QCOMPARE(readFile(game.services.scoreFilePath), "9 - AlBob\r\n\r\n");
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
