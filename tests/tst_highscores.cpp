// The high-score list: its file, its window and the dialog that makes its entries.
#include "scores/format.h"
#include "scores/store.h"
#include "tests/support/testgame.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/scoreadder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QSysInfo>
#include <QTest>

#include <fcntl.h>
#include <pwd.h>
#include <random>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Scores;

// A save of new entries by a window that could not read the list: whatever is there is merged.
static Saved saveEntries(const Location &at, const QStringList &added, const Pause &pause = {})
{
    return save(at, {{}, false, {}, added}, pause);
}

// Another copy of the game holding the list, as its save does.
static int holdList(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? fd : -1;
}

// What is at a path, without following a link: type, size, inode, and where a link points.
static QString describe(const QString &path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    return QString::asprintf("%o %lld %llu ", info.st_mode, qint64(info.st_size),
                             quint64(info.st_ino)) +
           QFile::symLinkTarget(path);
}

class TestHighScores : public QObject
{
    Q_OBJECT

private slots:
    // Lines end at CR LF, a lone CR or a lone LF; only the closing empty line goes; the order is
    // by text ignoring case, stable, a space before digits before letters, a prefix first.
    void parseBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("entries"); // their count, then each one
        QTest::newRow("zero bytes") << QByteArray() << "0";
        QTest::newRow("only CR LF") << QByteArray("\r\n") << "0";
        QTest::newRow("one empty entry") << QByteArray("\r\n\r\n") << "1|";
        QTest::newRow("by text") << QByteArray("9 - Cy\r\n45 - A\r\n120 - B\r\n\r\n")
                                 << "3|120 - B|45 - A|9 - Cy";
        QTest::newRow("no final empty line") << QByteArray("B\r\nA\r\n") << "2|A|B";
        QTest::newRow("no final line end") << QByteArray("A\r\nB") << "2|A|B";
        QTest::newRow("empty line in the middle") << QByteArray("A\r\n\r\nB\r\n") << "3||A|B";
        QTest::newRow("LF and lone CR") << QByteArray("B\nA\r\rC") << "4||A|B|C";
        QTest::newRow("case, space, prefix")
            << QByteArray("b\nANN\nAnna\n10 - A\nB\nann\n1 - A\n \nAnn\n\n")
            << "9| |1 - A|10 - A|ANN|ann|Ann|Anna|b|B";
        QTest::newRow("Latin-1") << QByteArray("\xe9\r\n\xc9\r\n\xb5\r\n\r\n") << "3|é|É|µ";
        // Thousands of lines, far past the size where sorts fall back to a stable one.
        std::mt19937 random(7);
        QStringList many;
        for (int i = 0; i < 5000; ++i)
            many << QString(QChar(u"aAéÉ 9"[random() % 6])) + QChar(u"bB"[random() % 2]);
        const QByteArray bytes = many.join('\n').toLatin1();
        std::stable_sort(many.begin(), many.end(), lessThan);
        QTest::newRow("thousands") << bytes << QString::number(many.size()) + "|" + many.join('|');
    }
    void parseBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, entries);
        const QStringList parsed = parse(bytes);
        QCOMPARE((QStringList{QString::number(parsed.size())} + parsed).join(u'|'), entries);
    }

    // Nothing but a regular file of sensible size is read, and nothing in its place is ever
    // written: not through a link, not into a pipe (which would also hang the game), a folder
    // or an oversized file.
    void onlyARegularFileIsUsed_data()
    {
        QTest::addColumn<QString>("kind"); // the row names the reason given
        for (const char *kind : {"symbolic link", "dangling symbolic link", "folder", "named pipe",
                                 "larger than 1048576 bytes", "or 65536 lines"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void onlyARegularFileIsUsed()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = pathIn(dir.path()), target = dir.filePath("target");
        writeFile(target, "keep\r\n");
        if (kind.endsWith("link"))
            QVERIFY(QFile::link(kind == "symbolic link" ? target : dir.filePath("none"), path));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "named pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind.endsWith("lines"))
            writeFile(path, QByteArray(kMaxLines, '\n') + "x");
        else
            QVERIFY(QFile::resize(target, kMaxFileSize + 1) && QFile::rename(target, path));
        const QString before = describe(path), targetBefore = readFile(target);
        const QString reason = kind.section(u"dangling "_qs, -1);
        const Loaded loaded = load({path});
        QVERIFY2(loaded.entries.isEmpty() && loaded.error.contains(path) &&
                     loaded.error.contains(reason),
                 qPrintable(loaded.error));
        QCOMPARE(save({path}, {}).error, QString()); // nothing new: nothing lost, no word
        const QString error = saveEntries({path}, {"12 - Eve"}).error;
        QVERIFY2(error.contains(reason) && error.contains("\"12 - Eve\""), qPrintable(error));
        QCOMPARE(describe(path), before);
        QCOMPARE(readFile(target), targetBefore);
        QCOMPARE(describe(dir.filePath("none")), "missing");
    }

    // Saving adds this window's entries after any equal ones in the list as it is now, so
    // another copy's entries stay; a list that would not change is not written, a missing one
    // gets its empty line. A player's own list that was only looked at is not made, and the
    // temporary files of saves killed midway go, but not one still being written.
    void saveAddsToTheListAsItIsNow()
    {
        QTemporaryDir dir;
        const Location at{pathIn(dir.path())}, own{dir.filePath("own/x"), at.path};
        QCOMPARE(save(at, {}).error, QString());
        QCOMPARE(readFile(at.path), "\r\n");
        writeFile(at.path, "9 - Cy\r\n45 - ANN\r\n\r\n"); // saved meanwhile by another copy
        const QString dead = dir.filePath(".High Scores.trel.dead"),
                      live = dir.filePath(".High Scores.trel.5afe"), other = at.path + ".x";
        for (const QString &path : {dead, live, other})
            writeFile(path, "");
        const int writing = holdList(live);
        QCOMPARE(saveEntries(at, {"45 - Ann", "120 - Bob"}).error, QString());
        QCOMPARE(readFile(at.path), "120 - Bob\r\n45 - ANN\r\n45 - Ann\r\n9 - Cy\r\n\r\n");
        ::close(writing);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({".High Scores.trel.5afe", "High Scores.trel", "High Scores.trel.x"}));
        const QString written = describe(at.path);
        QCOMPARE(save(at, {{}, true, parse(readFile(at.path)), {}}).error, QString());
        QCOMPARE(describe(at.path), written); // only looked at: not even rewritten
        QCOMPARE(save(own, {}).error, QString());
        QCOMPARE(describe(own.path), "missing");
    }

    // A save waits while another copy holds the list, and adds to the list that copy leaves,
    // even when it replaced the file; a copy that keeps holding it ends the wait, the file as it
    // was. Owner, group and mode stay as they were.
    void aSaveWaitsForAnotherCopy()
    {
        QTemporaryDir dir;
        const Location at{pathIn(dir.path())};
        writeFile(at.path, "9 - Cy\r\n\r\n");
        int held = holdList(at.path), pauses = 0;
        const Saved saved = saveEntries(at, {"1 - A"}, [&] {
            if (++pauses == 3) {
                writeFile(dir.filePath("new"), "5 - Bo\r\n9 - Cy\r\n\r\n");
                QFile::remove(at.path); // a copy whose save replaces the list
                QFile::rename(dir.filePath("new"), at.path);
                ::close(held);
            }
            return true;
        });
        QCOMPARE(saved.error + QString::number(pauses), "3");
        QCOMPARE(readFile(at.path), "1 - A\r\n5 - Bo\r\n9 - Cy\r\n\r\n");
        held = holdList(at.path);
        const QString error = saveEntries(at, {"2 - B"}, [&] { return --pauses > 0; }).error;
        ::close(held);
        QVERIFY2(error.contains("another program or copy of the game kept it locked") &&
                     pauses == 0 && error.contains("\"2 - B\""),
                 qPrintable(error));
        QCOMPARE(readFile(at.path), "1 - A\r\n5 - Bo\r\n9 - Cy\r\n\r\n");
        const QByteArray native = QFile::encodeName(at.path);
        QCOMPARE(::chmod(native, 0640), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(native, 65534, 65534), 0);
        // An access control list that lets another user write, and an attribute of the player's.
        const quint32 acl[] = {2,   1 | 6 << 16,    ~0u, 2 | 6 << 16, 65534, 4 | 4 << 16,
                               ~0u, 0x10 | 6 << 16, ~0u, 0x20,        ~0u};
        ::setxattr(native, "system.posix_acl_access", acl, sizeof acl, 0);
        ::setxattr(native, "user.note", "kept", 4, 0);
        const auto rules = [&] {
            const QFileInfo info(at.path);
            char list[64] = {}, note[8] = {};
            ::getxattr(native, "system.posix_acl_access", list, sizeof list);
            ::getxattr(native, "user.note", note, sizeof note);
            return QString::number(info.permissions(), 8) + info.owner() + info.group() +
                   QByteArray(list, sizeof list).toHex() + note;
        };
        const QString before = rules();
        // The new file is the list's owner's, with its rules, before the first byte is written.
        const int watch = ::inotify_init1(IN_NONBLOCK);
        ::inotify_add_watch(watch, QFile::encodeName(dir.path()), IN_ATTRIB | IN_MODIFY);
        QCOMPARE(saveEntries(at, {"0"}).error, QString());
        inotify_event first[8];
        QVERIFY(::read(watch, first, sizeof first) > 0 && first[0].mask == IN_ATTRIB);
        ::close(watch);
        QCOMPARE(rules(), before);
        QVERIFY(before.contains("02000600feff0000"));
    }

    // A close while a save waits for another copy (a window manager's, at the session's end)
    // closes the list once that save is done; a second save meanwhile adds nothing twice.
    void oneSaveAtATime()
    {
        TestGame game;
        const QString path = game.services.scores.path;
        writeFile(path, "9 - Cy\r\n\r\n");
        HScoreList &list = game.windows.hScoreList.show();
        list.addEntry("1 - A");
        int held = holdList(path), pauses = 0;
        game.services.pause = [&] {
            if (++pauses == 1 && !list.close())
                list.save();
            if (pauses == 4)
                ::close(held);
            return true;
        };
        QVERIFY(list.save());
        QTRY_VERIFY(!game.windows.hScoreList.isLoaded());
        QCOMPARE(readFile(path), "1 - A\r\n9 - Cy\r\n\r\n");
    }

    // The list beside the program while the player may keep it there. Anything else there, or an
    // installed game, sends the player to their own list, by the XDG rules: no relative folders.
    void theListLivesWhereThePlayerMayKeepIt_data()
    {
        // What is beside the program, 1 for an installed game, XDG_DATA_HOME and HOME ("-" for
        // unset), then "beside" or the player's own folder.
        QTest::addColumn<QString>("row");
        QTest::newRow("a list") << "file 0 /x /h beside";
        QTest::newRow("no list yet") << "none 0 /x /h beside";
        QTest::newRow("installed") << "file 1 /x /h /x/Vantrel";
        QTest::newRow("a pipe") << "pipe 0 /x /h /x/Vantrel";
        QTest::newRow("a link, relative data") << "link 0 x /h /h/.local/share/Vantrel";
        QTest::newRow("relative home") << "none 1 - h ~/.local/share/Vantrel";
        QTest::newRow("no home") << "none 1 - - ~/.local/share/Vantrel";
    }
    void theListLivesWhereThePlayerMayKeepIt()
    {
        QFETCH(QString, row);
        QStringList part = row.split(' ');
        QTemporaryDir dir;
        const QString path = pathIn(dir.path());
        if (part[0] != "none")
            QVERIFY(part[0] == "file"   ? QFile(path).open(QIODevice::WriteOnly)
                    : part[0] == "link" ? QFile::link(dir.path(), path)
                                        : ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const QByteArray saved[] = {qgetenv("XDG_DATA_HOME"), qgetenv("HOME")};
        const char *names[] = {"XDG_DATA_HOME", "HOME"};
        for (int i : {0, 1})
            part[i + 2] == "-" ? qunsetenv(names[i]) : qputenv(names[i], part[i + 2].toUtf8());
        const Location at = locate(dir.path(), playerFolder(), part[1] == "1");
        for (int i : {0, 1})
            qputenv(names[i], saved[i]);
        const QString own = part[4].replace("~", QFile::decodeName(::getpwuid(::getuid())->pw_dir));
        QCOMPARE(at.path, own == "beside" ? path : pathIn(own));
        QCOMPARE(at.seedPath, own == "beside" ? QString() : path);
    }

    // Shown again, the loaded list reads no file, keeps what was added and comes back from
    // minimised; only its close writes, adding to what the file holds by then. A very long entry
    // shows only its start but is kept whole.
    void theListIsWrittenOnlyWhenItCloses()
    {
        TestGame game;
        const QString &path = game.services.scores.path;
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
        QCOMPARE(list->entries(),
                 QStringList({longEntry, "120 - Bob", "21 - Player Name", "9 - Cy"}));
        const QAbstractItemView *view = list->findChild<QAbstractItemView *>();
        QCOMPARE(view->model()->index(0, 0).data().toString(), longEntry.left(100) + u'\u2026');
        QCOMPARE(view->currentIndex().row(), 2); // the new entry, read out by a screen reader
        QVERIFY(!view->selectionModel()->hasSelection());
        QCOMPARE(readFile(path), "8 - Changed\r\n\r\n");
        game.windows.hScoreList.unload();
        QCOMPARE(readFile(path), "120 - Bob\r\n21 - Player Name\r\n8 - Changed\r\n\r\n");
        QVERIFY(game.messages.isEmpty());
    }
    // A list that could not be read shows empty, and its close never replaces the file with
    // that: it reads the file again and adds to it, or, if it still cannot, names what was lost.
    void aListThatWasNotReadIsNeverWrittenOver()
    {
        TestGame game;
        const QString path = game.services.scores.path;
        QVERIFY(QDir().mkdir(path));
        game.windows.hScoreList.show();
        game.windows.hScoreList.unload(); // only looked at: closed without a word
        game.windows.hScoreList.show().addEntry("12 - Eve");
        QVERIFY(game.windows.hScoreList.window()->entries() == QStringList{"12 - Eve"});
        QVERIFY(QDir().rmdir(path));
        writeFile(path, "45 - Ann\r\n\r\n");
        game.windows.hScoreList.unload();
        QCOMPARE(readFile(path), "12 - Eve\r\n45 - Ann\r\n\r\n");

        const QString blocker = game.dir.filePath("not-a-folder");
        writeFile(blocker, "old content");
        game.services.scores.path = blocker + "/High Scores.trel";
        game.windows.hScoreList.show().addEntry("13 - Fay");
        game.windows.hScoreList.unload();
        QCOMPARE(readFile(blocker), "old content");
        QCOMPARE(game.messages.size(), 4);
        QCOMPARE(game.messages[3].title, QStringLiteral("High Scores"));
        QVERIFY2(game.messages[3].text.contains(blocker) &&
                     game.messages[3].text.contains("\"13 - Fay\""),
                 qPrintable(game.messages[3].text));
    }
    // Typed or pasted, a name loses its control characters first, is composed and shown as the
    // Latin-1 list will hold it, then is held to 20 characters. Escape does nothing; a click into
    // the box empties it; Enter presses "Enter Name".
    void enterNameMakesTheEntry_data()
    {
        // The steps (k: click into the box, t:text typed, p:text pasted, Enter), then the entry.
        QTest::addColumn<QString>("steps");
        QTest::newRow("at once") << "=45 - Player Name";
        QTest::newRow("typed after the prefilled name")
            << "t:Ann-and-a-long-name=45 - Player NameAnn-and-a";
        QTest::newRow("cleared by every click") << "t:Bob|k|t:Ann|k|t:Zed|Enter=45 - Zed";
        QTest::newRow("cleared, empty") << "k=45 - ";
        QTest::newRow("outside Latin-1") << "k|p:Zo\u00eb\u20ac\U0001F600=45 - Zo\u00eb??";
        QTest::newRow("line breaks and tabs") << "k|p:Al\r\nB\to\nb=45 - AlBob";
        QTest::newRow("stripped before the limit")
            << "k|p:\t\t\t\t\t\t\t\t\t\t\t\t12345678901234567890=45 - 12345678901234567890";
        QTest::newRow("C1, DEL and separators")
            << "k|p:A\u0085\u009b2J\u007f\u2028\u2029B=45 - A2JB";
        QTest::newRow("pair at the limit")
            << "k|p:1234567890123456789\U0001F600x=45 - 1234567890123456789?";
        QTest::newRow("composed first")
            << "k|p:Z\u0307o\u0301\u0142w e\u0301=45 - ?\u00f3?w \u00e9";
    }
    void enterNameMakesTheEntry()
    {
        QFETCH(QString, steps);
        const QString entry = steps.section('=', 1);
        TestGame game;
        game.state.score = 45;
        ScoreAdder &dialog = game.windows.scoreAdder.show();
        auto *name = dialog.findChild<QLineEdit *>("Text1");
        QCOMPARE(name->cursorPosition(), 11);
        QTest::keyClick(name, Qt::Key_Escape);
        game.state.score = 0; // a new game beside the dialog does not change the entry
        for (const QString &step : steps.section('=', 0, 0).split('|', Qt::SkipEmptyParts)) {
            if (step == "k") {
                QTest::mouseClick(name, Qt::LeftButton);
            } else if (step == "Enter") {
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                QApplication::clipboard()->setText(step.mid(2));
                step[0] == 't' ? QTest::keyClicks(name, step.mid(2)) : name->paste();
            }
        }
        if (game.windows.scoreAdder.isLoaded()) {
            QCOMPARE(name->text(), entry.mid(5));
            game.clickButton(&dialog, "Command1");
        }
        processDeletes();
        QVERIFY(!game.windows.scoreAdder.isLoaded());
        QCOMPARE(game.windows.hScoreList.window()->entries(), QStringList({entry}));
        game.windows.hScoreList.unload();
        QCOMPARE(readFile(game.services.scores.path), entry.toLatin1() + "\r\n\r\n");
    }
};

QTEST_MAIN(TestHighScores)
#include "tst_highscores.moc"
