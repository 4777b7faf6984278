#include "tests/support/testgame.h"
#include "ui/dialogs/highscorefile.h"

#include <QDir>
#include <QSysInfo>
#include <QTest>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace HighScoreFile;

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

class TestHighScoreFile : public QObject
{
    Q_OBJECT

private slots:
    // Lines end at CR LF, a lone CR or a lone LF; only the closing empty line goes; the order is
    // by text ignoring case, stable, a space before digits before letters, a prefix first.
    void parseBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("zero bytes") << QByteArray() << QStringList();
        QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList();
        QTest::newRow("one empty entry") << QByteArray("\r\n\r\n") << QStringList{""};
        QTest::newRow("sorted as text") << QByteArray("9 - Cy\r\n45 - Ann\r\n120 - Bob\r\n\r\n")
                                        << QStringList{"120 - Bob", "45 - Ann", "9 - Cy"};
        QTest::newRow("no final empty line") << QByteArray("B\r\nA\r\n") << QStringList{"A", "B"};
        QTest::newRow("no final line end") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("empty lines in the middle")
            << QByteArray("A\r\n\r\nB\r\n") << QStringList{"", "A", "B"};
        QTest::newRow("LF and lone CR")
            << QByteArray("B\nA\r\rC") << QStringList{"", "A", "B", "C"};
        QTest::newRow("case, space, prefix")
            << QByteArray("b\nANN\nAnna\n10 - A\nB\nann\n1 - A\n \nAnn\n\n")
            << QStringList{" ", "1 - A", "10 - A", "ANN", "ann", "Ann", "Anna", "b", "B"};
        QTest::newRow("Latin-1") << QByteArray("\xe9\r\n\xc9\r\n\xb5\r\n\r\n")
                                 << QStringList{"é", "É", "µ"};
        // Thousands of lines, far past the size where sorts fall back to a stable one.
        std::mt19937 random(7);
        QStringList many;
        for (int i = 0; i < 5000; ++i)
            many << QString(QChar(u"aAéÉ 9"[random() % 6])) + QChar(u"bB"[random() % 2]);
        const QByteArray bytes = many.join('\n').toLatin1();
        std::stable_sort(many.begin(), many.end(), lessThan);
        QTest::newRow("thousands") << bytes << many;
    }
    void parseBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(parse(bytes), entries);
    }

    // Nothing but a regular file of sensible size is read, and nothing in its place is ever
    // written: not through a link, not into a pipe (which would also hang the game), a folder,
    // a socket or an oversized file.
    void onlyARegularFileIsUsed_data()
    {
        QTest::addColumn<QString>("kind"); // the row names the reason given
        for (const char *kind : {"symbolic link", "dangling symbolic link", "folder", "named pipe",
                                 "socket", "larger than 1048576 bytes", "or 65536 lines"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void onlyARegularFileIsUsed()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = pathIn(dir.path()), target = dir.filePath("target");
        writeFile(target, "keep\r\n");
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{AF_UNIX, {}};
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        if (kind.endsWith("link"))
            QVERIFY(QFile::link(kind == "symbolic link" ? target : dir.filePath("none"), path));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "named pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "socket")
            QCOMPARE(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        else if (kind.endsWith("lines"))
            writeFile(path, QByteArray(kMaxLines, '\n') + "x");
        else
            QVERIFY(QFile::resize(target, kMaxFileSize + 1) && QFile::rename(target, path));
        const QString before = describe(path), targetBefore = readFile(target);
        const QString reason = kind.section(u"dangling "_qs, -1);
        const LoadResult loaded = load({path, {}});
        QVERIFY2(loaded.entries.isEmpty() && loaded.error.contains(path) &&
                     loaded.error.contains(reason),
                 qPrintable(loaded.error));
        const QString error = save({path, {}}, {"12 - Eve"});
        QVERIFY2(error.contains(reason) && error.contains("\"12 - Eve\""), qPrintable(error));
        QCOMPARE(describe(path), before);
        QCOMPARE(readFile(target), targetBefore);
        QCOMPARE(describe(dir.filePath("none")), "missing");
        ::close(socket);
    }

    // Saving adds this window's entries after any equal ones in the list as it is now, so
    // another copy's entries stay; a list that would not change is not written, a missing one
    // gets its empty line; a lock left by a killed copy does not stop the save. A player's own
    // list starts from the one beside the program, which stays as it is.
    void saveAddsToTheListAsItIsNow()
    {
        QTemporaryDir dir;
        const Location at{pathIn(dir.path()), {}}, own{dir.filePath("own/x"), at.path};
        QCOMPARE(save(at, {}), QString());
        QCOMPARE(readFile(at.path), "\r\n");
        writeFile(at.path, "9 - Cy\r\n45 - ANN\r\n\r\n"); // saved meanwhile by another copy
        const pid_t killed = ::fork();
        if (killed == 0)
            ::_exit(0);
        ::waitpid(killed, nullptr, 0);
        writeFile(at.path + ".lock", QByteArray::number(killed) + "\nvantrel\n" +
                                         QSysInfo::machineHostName().toUtf8() + "\n");
        QCOMPARE(save(at, {"45 - Ann", "120 - Bob"}), QString());
        QCOMPARE(readFile(at.path), "120 - Bob\r\n45 - ANN\r\n45 - Ann\r\n9 - Cy\r\n\r\n");
        const QString written = describe(at.path);
        QCOMPARE(save(at, {}), QString());
        QCOMPARE(describe(at.path), written); // only looked at: not even rewritten
        QCOMPARE(save(own, {}), QString());
        QCOMPARE(describe(own.path), "missing");
        QCOMPARE(save(own, {"7 - Dee"}), QString());
        QCOMPARE(load(own).entries.size(), 5);
        QCOMPARE(describe(at.path), written);
    }

    // A file-size limit fails the write as a full disk does: the cause is named, the old
    // bytes stay and no temporary file is left.
    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const Location at{pathIn(dir.path()), {}};
        QCOMPARE(save(at, {"1 - A"}), QString());
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{1024, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString error = save(at, QStringList(100, u"12345 - Player"_qs));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY2(error.contains(at.path) && error.contains("File too large"), qPrintable(error));
        QCOMPARE(readFile(at.path), "1 - A\r\n\r\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestHighScoreFile)
#include "tst_highscorefile.moc"
