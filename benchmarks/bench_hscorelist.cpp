// The longest high-score list the game keeps, 32766 entries, through the real HScoreList window
// (offscreen) beside the same file handled in plain C++: read and sorted ignoring case, one entry
// added, written back with CR LF line ends. Each step is timed once per pass (-median N).
#include "game/randomsource.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/windows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

constexpr std::size_t kEntries = 32766; // the most the game's list holds
const std::string kNewEntry = "77 - Benchmark Player";
enum Side { Vantrel, Plain, PlainLikeGame };

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::filesystem::file_size(path), '\0');
    return in.read(bytes.data(), std::streamsize(bytes.size())) ? bytes : "<unreadable>";
}

// likeGame writes as safely as the game does: a temporary file beside the target, flushed to
// disk, then renamed over it. A failed open fails the write.
bool writeBytes(const std::string &path, const std::string &bytes, bool likeGame)
{
    const std::string target = likeGame ? path + ".new" : path;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    written = (!likeGame || ::fdatasync(fd) == 0) && ::close(fd) == 0 && written;
    return written && (!likeGame || std::rename(target.c_str(), path.c_str()) == 0);
}

bool lessNoCase(const std::string &a, const std::string &b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

// Stable, as the game's sort is; like the game, checkFirst skips the sort of a sorted list.
Lines plainRead(const std::string &path, bool checkFirst)
{
    const std::string bytes = readBytes(path);
    Lines lines;
    for (std::size_t pos = 0, end; (end = bytes.find("\r\n", pos)) != std::string::npos;
         pos = end + 2)
        lines.emplace_back(bytes, pos, end - pos);
    if (!lines.empty() && lines.back().empty()) // the closing empty line
        lines.pop_back();
    if (!checkFirst || !std::is_sorted(lines.begin(), lines.end(), lessNoCase))
        std::stable_sort(lines.begin(), lines.end(), lessNoCase);
    return lines;
}

void plainAdd(Lines &lines, const std::string &entry)
{
    lines.insert(std::upper_bound(lines.begin(), lines.end(), entry, lessNoCase), entry);
}

std::string plainBytes(const Lines &lines)
{
    std::string bytes;
    for (const std::string &line : lines)
        bytes.append(line).append("\r\n");
    return bytes.append("\r\n");
}

// QBENCHMARK_ONCE would count whole milliseconds here (Qt 6.4), too coarse for these steps.
template <class Step> void timeOnce(Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QTest::setBenchmarkResult(qreal(timer.nsecsElapsed()), QTest::WalltimeNanoseconds);
}

// The offscreen platform cannot raise a window and says so on every show().
QtMessageHandler testLog = nullptr;
void skipRaiseWarning(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text != QLatin1String("This plugin does not support raise()"))
        testLog(type, context, text);
}

void addSides(const char *plainLikeGame)
{
    QTest::addColumn<int>("side");
    QTest::newRow("vantrel") << int(Vantrel);
    QTest::newRow("plain") << int(Plain);
    if (plainLikeGame)
        QTest::newRow(plainLikeGame) << int(PlainLikeGame);
}

} // namespace

class BenchHScoreList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // A full list as the game writes it: scores 4 to 165, names of 1 to 20 letters and
        // spaces, sorted. Seeded, so every run times the same file.
        std::mt19937 random(20240611u);
        const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        Lines lines;
        while (lines.size() < kEntries) {
            std::string name(1, letters[random() % letters.size()]);
            for (std::size_t length = 1 + random() % 20; name.size() < length;)
                name += random() % 6 == 0 ? ' ' : letters[random() % letters.size()];
            lines.push_back(std::to_string(4 + random() % 162) + " - " + name);
        }
        std::stable_sort(lines.begin(), lines.end(), lessNoCase);
        m_original = plainBytes(lines);
        plainAdd(lines, kNewEntry);
        m_expected = plainBytes(lines);
        qApp->installEventFilter(this);
        testLog = qInstallMessageHandler(skipRaiseWarning);
    }

    void init() { QVERIFY(writeBytes(m_path, m_original, false)); }

    void cleanup()
    {
        m_windows.hScoreList.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
    }

    // For the game, show() on the unloaded window: its constructor reads, sorts and fills
    // the list, then it is shown.
    void load_data() { addSides("plain-checked"); }
    void load()
    {
        QFETCH(int, side);
        Lines lines;
        if (side == Vantrel) {
            m_painted = false;
            timeOnce([&] { m_windows.hScoreList.show(); });
            QVERIFY(waitForPaint()); // as it would be before a player can close it
        } else {
            timeOnce([&] { lines = plainRead(m_path, side == PlainLikeGame); });
            QCOMPARE(lines.size(), kEntries);
        }
    }

    // From the show() call until the list is painted, the load included. Closing the window
    // then, with no change, must leave the file as it was.
    void showUntilPainted()
    {
        timeOnce([&] { QVERIFY(showPainted()); });
        m_windows.hScoreList.unload();
        QVERIFY(readBytes(m_path) == m_original);
    }

    // One more entry in the full list; the game's until it is painted.
    void add_data() { addSides(nullptr); }
    void add()
    {
        QFETCH(int, side);
        Lines lines = plainRead(m_path, true);
        if (side == Vantrel) {
            HScoreList *window = showPainted();
            QVERIFY(window);
            timeOnce([&] {
                m_painted = false;
                window->addEntry(QString::fromStdString(kNewEntry));
                QVERIFY(waitForPaint());
            });
        } else {
            timeOnce([&] { plainAdd(lines, kNewEntry); });
        }
    }

    // One entry is added, not timed, so that the list differs from the file; then the game's
    // window is closed, which writes it.
    void save_data() { addSides("plain-durable"); }
    void save()
    {
        QFETCH(int, side);
        Lines lines = plainRead(m_path, true);
        plainAdd(lines, kNewEntry);
        if (side == Vantrel) {
            HScoreList *window = showPainted();
            QVERIFY(window);
            window->addEntry(QString::fromStdString(kNewEntry));
            timeOnce([&] { m_windows.hScoreList.unload(); });
        } else {
            timeOnce(
                [&] { QVERIFY(writeBytes(m_path, plainBytes(lines), side == PlainLikeGame)); });
        }
        QVERIFY(readBytes(m_path) == m_expected);
    }

protected:
    // Notes when the list's viewport paints; the window need not exist yet.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto *view = qobject_cast<QAbstractItemView *>(watched->parent());
            m_painted = m_painted || (view && view->objectName() == QLatin1String("List1") &&
                                      view->viewport() == watched);
        }
        return false;
    }

private:
    bool waitForPaint()
    {
        const QDeadlineTimer deadline(10000);
        while (!m_painted && !deadline.hasExpired())
            QCoreApplication::processEvents();
        return m_painted;
    }

    HScoreList *showPainted() // nullptr if the list is never painted
    {
        m_painted = false;
        HScoreList *window = &m_windows.hScoreList.show();
        return waitForPaint() ? window : nullptr;
    }

    QTemporaryDir m_dir;
    std::string m_original, m_expected; // the list before and after kNewEntry is added
    bool m_painted = false;
    LabelClicker::GameState m_state;
    LabelClicker::ClockRandomSource m_random;
    QStringList m_messages;
    Services m_services{m_state, m_random,
                        [this](const QString &title, const QString &text) {
                            m_messages.append(title + QStringLiteral(": ") + text);
                        },
                        Scores::Location{m_dir.filePath(QStringLiteral("High Scores.trel"))}};
    const std::string m_path = QFile::encodeName(m_services.scores.path).toStdString();
    Windows m_windows{m_services};
};

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchHScoreList bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_hscorelist.moc"
