#include "ui/dialogs/highscorefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace HighScoreFile;

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Many distinct entries, already sorted, past what a 16-bit count could hold.
QStringList manyEntries(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(QStringLiteral("%1 - Player %2").arg(i, 6, 10, QChar(u'0')).arg(i));
    return entries;
}

} // namespace

class TestHighScoreFile : public QObject
{
    Q_OBJECT

private slots:
    void parseBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("zero bytes") << QByteArray() << QStringList();
        QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList();
        QTest::newRow("one entry") << QByteArray("45 - Ann\r\n\r\n") << QStringList{"45 - Ann"};
        QTest::newRow("no final empty line keeps all")
            << QByteArray("Bob\r\nAnn\r\n") << QStringList{"Ann", "Bob"};
        QTest::newRow("last line without line end")
            << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("empty lines in the middle")
            << QByteArray("A\r\n\r\nB\r\n\r\n") << QStringList{"", "A", "B"};
        QTest::newRow("LF only") << QByteArray("A\nB\n\n") << QStringList{"A", "B"};
        QTest::newRow("LF LF is two line ends")
            << QByteArray("A\n\nB\n") << QStringList{"", "A", "B"};
        QTest::newRow("lone CR") << QByteArray("B\rA\r\r") << QStringList{"A", "B"};
        QTest::newRow("CR CR LF is two line ends")
            << QByteArray("A\r\r\nB") << QStringList{"", "A", "B"};
        QTest::newRow("LF CR is two line ends")
            << QByteArray("A\n\rB\r\n") << QStringList{"", "A", "B"};
        QTest::newRow("unsorted file is sorted")
            << QByteArray("9 - Cy\r\n45 - Ann\r\n120 - Bob\r\n\r\n")
            << QStringList{"120 - Bob", "45 - Ann", "9 - Cy"};
        QTest::newRow("high Latin-1 bytes")
            << QByteArray("\xe9t\xe9\r\n\xff\r\n\r\n") << QStringList{u"été"_qs, u"ÿ"_qs};
    }
    void parseBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(parse(bytes), entries);
    }

    void serializeEntries_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty list") << QStringList() << QByteArray("\r\n");
        QTest::newRow("list order kept") << QStringList{"120 - Bob", "45 - Ann", "9 - Cy"}
                                         << QByteArray("120 - Bob\r\n45 - Ann\r\n9 - Cy\r\n\r\n");
        QTest::newRow("empty entry") << QStringList{"", "A"} << QByteArray("\r\nA\r\n\r\n");
    }
    void serializeEntries()
    {
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, bytes);
        QCOMPARE(serialize(entries), bytes);
    }

    // A sorted file in this format, from any writer, must come back byte for byte.
    void sortedFileRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QStringList highEntries;
        for (int byte = 0x80; byte <= 0xff; ++byte)
            highEntries.append(QString(QChar(byte)));
        sort(highEntries);
        QByteArray allHigh;
        for (const QString &entry : highEntries)
            allHigh += entry.toLatin1() + "\r\n";
        QTest::newRow("bytes 0x80 to 0xFF") << allHigh + "\r\n";
        QTest::newRow("mixed Latin-1") << QByteArray("12 - Ana\xefs\r\n7 - J\xf6rg \xa9\r\n\r\n");
        QTest::newRow("empty entry first") << QByteArray("\r\n1 - A\r\n\r\n");
    }
    void sortedFileRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(serialize(parse(bytes)), bytes);
    }

    void storableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Latin-1 kept") << u"9 - Zoé"_qs << u"9 - Zoé"_qs;
        QTest::newRow("euro sign") << u"5 - 3€"_qs << u"5 - 3?"_qs;
        QTest::newRow("emoji is one character") << u"5 - 😀x"_qs << u"5 - ?x"_qs;
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + u"x"_qs << u"?x"_qs;
        QTest::newRow("line breaks would split the entry") << u"A\r\nB\nC"_qs << u"A??B?C"_qs;
    }
    void storableText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(storable(text), stored);
        QCOMPARE(parse(serialize({text})), QStringList{stored});
    }

    void lessThanOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("higher score text first") << u"120 - Bob"_qs << u"45 - Ann"_qs;
        QTest::newRow("by first digit") << u"45 - Ann"_qs << u"9 - Cy"_qs;
        QTest::newRow("space before digit") << u"1 - A"_qs << u"10 - A"_qs;
        QTest::newRow("digit before letter") << u"9"_qs << u"a"_qs;
        QTest::newRow("prefix first") << u"Ann"_qs << u"Anna"_qs;
        QTest::newRow("empty first") << QString() << u" "_qs;
        QTest::newRow("case ignored") << u"ann"_qs << u"BOB"_qs;
    }
    void lessThanOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QVERIFY(lessThan(a, b));
        QVERIFY(!lessThan(b, a));
        QVERIFY(!lessThan(a, a.toUpper()) && !lessThan(a.toUpper(), a));
    }

    void sortAndInsert_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("added");
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("120 above 45") << QStringList{"45 - Ann"} << u"120 - Bob"_qs << qsizetype(0)
                                      << QByteArray("120 - Bob\r\n45 - Ann\r\n\r\n");
        QTest::newRow("into empty list")
            << QStringList() << u"9 - Cy"_qs << qsizetype(0) << QByteArray("9 - Cy\r\n\r\n");
        QTest::newRow("after equal ones") << QStringList{"b", "a", "B"} << u"b"_qs << qsizetype(3)
                                          << QByteArray("a\r\nb\r\nB\r\nb\r\n\r\n");
        QTest::newRow("case order kept on sort")
            << QStringList{"ANN", "bob", "Ann", "ann"} << u"c"_qs << qsizetype(4)
            << QByteArray("ANN\r\nAnn\r\nann\r\nbob\r\nc\r\n\r\n");
        // Enough entries that an unstable sort would not fall back to a stable small sort.
        const QStringList aCases{"ab", "aB", "Ab", "AB"}, cCases{"CD", "cd", "Cd", "cD"};
        QStringList mixed, aFirst, cAfter;
        for (int i = 0; i < 40; ++i) {
            mixed << cCases[i % 4] << aCases[i % 4];
            aFirst << aCases[i % 4];
            cAfter << cCases[i % 4];
        }
        QTest::newRow("case order kept in a long list")
            << mixed << u"b"_qs << qsizetype(40) << serialize(aFirst + QStringList{"b"} + cAfter);
    }
    void sortAndInsert()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, added);
        QFETCH(qsizetype, position);
        QFETCH(QByteArray, bytes);
        sort(entries);
        QCOMPARE(insertPosition(entries, added), position);
        entries.insert(position, added);
        QCOMPARE(serialize(entries), bytes);
        QCOMPARE(parse(bytes), entries);
    }

    // sort() must order exactly as a stable sort by lessThan would.
    void sortMatchesLessThan_data()
    {
        QTest::addColumn<QStringList>("entries");
        QStringList latin1Pairs{QString()};
        for (char16_t first = 0; first < 0x100; ++first) {
            latin1Pairs << QString(QChar(first));
            for (char16_t second = 0; second < 0x100; ++second)
                latin1Pairs << QString(QChar(first)) + QChar(second);
        }
        std::shuffle(latin1Pairs.begin(), latin1Pairs.end(), std::mt19937(7));
        QTest::newRow("every Latin-1 pair") << latin1Pairs;
        QTest::newRow("beyond Latin-1") << QStringList{u"Ωb"_qs, u"µa"_qs, u"ωa"_qs, u"μ"_qs,
                                                       u"😀"_qs,  u"€"_qs,  u"ÿ"_qs,  u"Ÿ"_qs};
    }
    void sortMatchesLessThan()
    {
        QFETCH(QStringList, entries);
        QStringList expected = entries;
        std::stable_sort(expected.begin(), expected.end(), lessThan);
        sort(entries);
        QCOMPARE(entries, expected);
    }

    void loadWithoutList_data()
    {
        QTest::addColumn<bool>("zeroByteFile");
        QTest::newRow("missing file") << false;
        QTest::newRow("zero-byte file") << true;
    }
    void loadWithoutList()
    {
        QFETCH(bool, zeroByteFile);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = pathIn(dir.path());
        QVERIFY(!zeroByteFile || writeBytes(path, {}));
        const LoadResult result = load(path);
        QCOMPARE(result.entries, QStringList());
        QCOMPARE(result.error, QString());
    }

    void loadUnreadable()
    {
        QTemporaryDir dir;
        const QString path = pathIn(dir.path());
        QVERIFY(QDir().mkdir(path));
        const LoadResult result = load(path);
        QCOMPARE(result.entries, QStringList());
        QVERIFY2(result.error.contains(path), qPrintable(result.error));
    }

    void saveAndLoadLargeList()
    {
        QTemporaryDir dir;
        const QString path = pathIn(dir.path());
        QCOMPARE(save(path, {"1 - A", "2 - B", "3 - C"}), QString());
        const QStringList entries = manyEntries(40000);
        QCOMPARE(save(path, entries), QString());
        const LoadResult result = load(path);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.entries.size(), 40000);
        QCOMPARE(result.entries, entries);
        // A shorter list replaces a longer file completely.
        QCOMPARE(save(path, {"4 - D"}), QString());
        QCOMPARE(readBytes(path), QByteArray("4 - D\r\n\r\n"));
    }

    // Set up without permissions, which do not stop root.
    void saveFailure_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<QString>("blocker");
        QTest::newRow("directory in place of the file") << u"High Scores.trel"_qs << u"dir"_qs;
        QTest::newRow("folder is a regular file") << u"folder/High Scores.trel"_qs << u"file"_qs;
        QTest::newRow("folder missing") << u"none/High Scores.trel"_qs << QString();
    }
    void saveFailure()
    {
        QFETCH(QString, relativePath);
        QFETCH(QString, blocker);
        QTemporaryDir dir;
        const QString path = dir.filePath(relativePath);
        const QString blockerPath = blocker == u"dir" ? path : QFileInfo(path).path();
        const QString keptPath = blocker == u"dir" ? path + u"/kept"_qs : blockerPath;
        QVERIFY(blocker.isEmpty() || blocker == u"file" || QDir().mkdir(blockerPath));
        QVERIFY(blocker.isEmpty() || writeBytes(keptPath, "old\r\n\r\n"));

        const QString error = save(path, {"1 - A"});
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(blocker.isEmpty() || readBytes(keptPath) == "old\r\n\r\n");
    }

#ifdef Q_OS_UNIX
    // A file-size limit fails the write the way a full disk does. A list that fits in a
    // write buffer would only fail on the final flush, which commit() alone lets pass.
    void saveFailureKeepsOldFile_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("shorter than a write buffer") << 100;
        QTest::newRow("longer than a write buffer") << 2000;
    }
    void saveFailureKeepsOldFile()
    {
        QFETCH(int, count);
        QTemporaryDir dir;
        const QString path = pathIn(dir.path());
        QCOMPARE(save(path, {"1 - A"}), QString());

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString error = save(path, manyEntries(count));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(readBytes(path), QByteArray("1 - A\r\n\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
#endif
};

QTEST_GUILESS_MAIN(TestHighScoreFile)
#include "tst_highscorefile.moc"
