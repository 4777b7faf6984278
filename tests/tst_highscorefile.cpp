#include "ui/dialogs/highscorefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace HighScoreFile;

class TestHighScoreFile : public QObject
{
    Q_OBJECT

private slots:
    void parseBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList();
        QTest::newRow("one empty entry") << QByteArray("\r\n\r\n") << QStringList{""};
        QTest::newRow("one entry") << QByteArray("45 - Ann\r\n\r\n") << QStringList{"45 - Ann"};
        QTest::newRow("no final empty line") << QByteArray("B\r\nA\r\n") << QStringList{"A", "B"};
        QTest::newRow("no final line end") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("empty lines in the middle")
            << QByteArray("A\r\n\r\nB\r\n") << QStringList{"", "A", "B"};
        QTest::newRow("LF only") << QByteArray("A\n\nB\n\n") << QStringList{"", "A", "B"};
        QTest::newRow("lone CR") << QByteArray("B\rA\r\r") << QStringList{"A", "B"};
        QTest::newRow("unsorted file is sorted")
            << QByteArray("9 - Cy\r\n45 - Ann\r\n120 - Bob\r\n")
            << QStringList{"120 - Bob", "45 - Ann", "9 - Cy"};
        QStringList high;
        for (int byte = 0x80; byte <= 0xff; ++byte)
            high << QString(QChar(byte));
        sort(high);
        QTest::newRow("Latin-1 0x80 to 0xFF")
            << (high.join(u"\r\n"_qs) + u"\r\n\r\n"_qs).toLatin1() << high;
    }
    void parseBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(parse(bytes), entries);
        // A sorted file as a writer leaves it, from any writer, comes back byte for byte.
        if (bytes == "\r\n" || bytes.endsWith("\r\n\r\n"))
            QCOMPARE(serialize(entries), bytes);
    }

    void storableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Latin-1 kept") << u"9 - Zoé"_qs << u"9 - Zoé"_qs;
        QTest::newRow("euro sign") << u"5 - 3€"_qs << u"5 - 3?"_qs;
        QTest::newRow("emoji is one character") << u"5 - 😀x"_qs << u"5 - ?x"_qs;
        QTest::newRow("line breaks") << u"A\r\nB\nC"_qs << u"A??B?C"_qs;
    }
    void storableText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(storable(text), stored);
        QCOMPARE(parse(serialize({text})), QStringList{stored});
    }

    void sortOrder_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("space, digits, letters")
            << QStringList{"a", "10 - A", "1 - A"} << QStringList{"1 - A", "10 - A", "a"};
        QTest::newRow("empty and prefix first")
            << QStringList{"Anna", " ", "Ann", ""} << QStringList{"", " ", "Ann", "Anna"};
        QTest::newRow("case ignored") << QStringList{"BOB", "ann"} << QStringList{"ann", "BOB"};
        QTest::newRow("case order kept") << QStringList{"b", "ANN", "Ann", "B", "ann"}
                                         << QStringList{"ANN", "Ann", "ann", "b", "B"};
        const auto stableSorted = [](QStringList entries) {
            std::stable_sort(entries.begin(), entries.end(), lessThan);
            return entries;
        };
        // Thousands of entries, many differing only in case: far past the 16 below which
        // sorts commonly fall back to a stable one.
        std::mt19937 random(7);
        QStringList latin1;
        for (int i = 0; i < 5000; ++i) {
            QString entry;
            for (int length = int(random() % 5); length > 0; --length)
                entry += QChar(random() % 2 ? u"aAéÉ 9"[random() % 6] : char16_t(random() % 256));
            latin1 << entry;
        }
        QTest::newRow("random Latin-1") << latin1 << stableSorted(latin1);
        const QStringList beyond{u"Ωb"_qs, u"µa"_qs, u"ωa"_qs, u"μ"_qs,
                                 u"😀"_qs,  u"€"_qs,  u"ÿ"_qs,  u"Ÿ"_qs};
        QTest::newRow("beyond Latin-1") << beyond << stableSorted(beyond);
    }
    void sortOrder()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, sorted);
        QVERIFY(std::is_sorted(sorted.cbegin(), sorted.cend(), lessThan));
        sort(entries);
        QCOMPARE(entries, sorted);
        // A new entry goes after every entry equal to it.
        for (const QString &entry : sorted) {
            const qsizetype at = insertPosition(sorted, entry);
            QVERIFY(at > 0 && !lessThan(entry, sorted[at - 1]));
            QVERIFY(at == sorted.size() || lessThan(entry, sorted[at]));
        }
    }

    void insertAboveLowerScore()
    {
        QStringList entries{"45 - Ann"};
        entries.insert(insertPosition(entries, u"120 - Bob"_qs), u"120 - Bob"_qs);
        QCOMPARE(serialize(entries), QByteArray("120 - Bob\r\n45 - Ann\r\n\r\n"));
    }

    void saveAndLoadLargeList()
    {
        QTemporaryDir dir;
        const QString path = pathIn(dir.path());
        QStringList entries;
        for (int i = 0; i < 40000; ++i)
            entries.append(QStringLiteral("%1 - Player").arg(i, 6, 10, QChar(u'0')));
        QCOMPARE(save(path, entries), QString());
        QCOMPARE(load(path).entries, entries);
        QCOMPARE(save(path, {"4 - D"}), QString());
        QCOMPARE(load(path).entries, QStringList{"4 - D"});
    }

    // Nothing or zero bytes at the path is no error. Then a regular file in the folder's place
    // and a directory in the file's, set up without permissions, which do not stop root.
    void missingAndBlockedFiles()
    {
        QTemporaryDir dir;
        const QString path = pathIn(dir.path()), inside = pathIn(path);
        for (const bool exists : {false, true}) {
            QVERIFY(!exists || QFile(path).open(QIODevice::WriteOnly));
            const LoadResult result = load(path);
            QVERIFY(result.entries.isEmpty() && result.error.isEmpty());
        }
        QCOMPARE(save(path, {"old"}), QString());
        const QString folderError = save(inside, {"1 - A"});
        QVERIFY2(folderError.contains(inside), qPrintable(folderError));
        QCOMPARE(load(path).entries, QStringList{"old"});

        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        QCOMPARE(save(inside, {"old"}), QString());
        for (const QString &error : {load(path).error, save(path, {"1 - A"})})
            QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(load(inside).entries, QStringList{"old"});
    }

#ifdef Q_OS_UNIX
    // A file-size limit fails the write as a full disk does; a list shorter than a write
    // buffer would only fail on a final flush.
    void saveFailureKeepsOldFile()
    {
        for (const int count : {100, 2000}) {
            QTemporaryDir dir;
            const QString path = pathIn(dir.path());
            QCOMPARE(save(path, {"1 - A"}), QString());
            rlimit old{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
            const rlimit small{1024, old.rlim_max};
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            const QString error = save(path, QStringList(count, u"12345 - Player"_qs));
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
            QVERIFY2(error.contains(path), qPrintable(error));
            QCOMPARE(load(path).entries, QStringList{"1 - A"});
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        }
    }
#endif
};

QTEST_GUILESS_MAIN(TestHighScoreFile)
#include "tst_highscorefile.moc"
