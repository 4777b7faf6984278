// Times the real high-score window with the longest list the game keeps, 32766 entries:
// loading it, showing it until the list is painted, adding one entry and saving on close;
// then the same file read, sorted and written in plain C++ for comparison. Needs no
// arguments; an optional one sets the number of timed runs (at least 11).
#include "plainscorefile.h"

#include "game/labelclicker.h"
#include "game/randomsource.h"
#include "ui/dialogs/highscorefile.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/windows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using plain::Clock;
using plain::median;
using plain::msBetween;

constexpr int kEntries = 32766; // the most the game's list holds
constexpr int kMinRuns = 11;
const QString kNewEntry = QStringLiteral("77 - Benchmark Player");

const char *goal(double value, double limit)
{
    return value < limit ? "met" : "MISSED";
}

// A full list as the game would write it: scores 4 to 165, names of 1 to 20 letters and
// spaces, sorted. Seeded, so every run times the same file.
QStringList makeEntries()
{
    std::mt19937 random(20240611u);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QStringList entries;
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        const int score = 4 + int(random() % 162);
        const int length = 1 + int(random() % 20);
        QString name(1, letters[qsizetype(random() % letters.size())]);
        while (name.size() < length)
            name += random() % 6 == 0 ? QChar(u' ') : letters[qsizetype(random() % letters.size())];
        entries.append(QString::number(score) + QStringLiteral(" - ") + name);
    }
    HighScoreFile::sort(entries);
    return entries;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Notes when the viewport of a list named List1 starts painting; the paint is done once the
// event loop pass that delivered it returns. Watching the whole application catches the first
// paint of a window that does not exist yet when the clock starts.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            const QObject *owner = watched->parent();
            if (owner && owner->objectName() == QLatin1String("List1") &&
                static_cast<const QAbstractItemView *>(owner)->viewport() == watched)
                painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until the watched viewport has painted; false after 10 s without.
bool waitForPaint(const PaintWatch &watch)
{
    const Clock::time_point limit = Clock::now() + std::chrono::seconds(10);
    while (!watch.painted) {
        if (Clock::now() > limit)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// The offscreen platform cannot raise a window and says so on every show; nothing else is
// hidden.
QtMessageHandler defaultHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text == QLatin1String("This plugin does not support raise()"))
        return;
    defaultHandler(type, context, text);
}

void deleteClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The plain C++ reference: the same file read, split at line ends and sorted ignoring case
// (stable, as the game's sort is). With checkFirst the sort is skipped for a list already in
// order, as the game skips it.
bool plainReadSorted(const std::string &path, std::vector<std::string> &lines, bool checkFirst)
{
    std::string bytes;
    if (!plain::readFile(path, bytes))
        return false;
    plain::splitLines(bytes, lines);
    if (!checkFirst || !std::is_sorted(lines.begin(), lines.end(), plain::lessNoCase))
        plain::sortNoCase(lines);
    return true;
}

// As plain::writeFile, but as safe as the game's save: a temporary file beside the target, its
// data flushed to disk, then renamed over the target.
bool plainWriteDurable(const std::string &path, const std::vector<std::string> &lines)
{
    const std::string bytes = plain::serialize(lines);
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && written && std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    const int runs = std::max(kMinRuns, argc > 1 ? std::atoi(argv[1]) : 0);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString path = HighScoreFile::pathIn(dir.path());
    const QStringList entries = makeEntries();
    const QByteArray original = HighScoreFile::serialize(entries);
    if (!writeBytes(path, original)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }

    // What the file must hold after the new entry is added and the window closes.
    QStringList withEntry = entries;
    const QString stored = HighScoreFile::storable(kNewEntry);
    withEntry.insert(HighScoreFile::insertPosition(withEntry, stored), stored);
    const QByteArray expected = HighScoreFile::serialize(withEntry);

    LabelClicker::GameState state;
    LabelClicker::ClockRandomSource random;
    QStringList messages;
    Services services{state, random,
                      [&messages](const QString &title, const QString &text) {
                          messages.append(title + QStringLiteral(": ") + text);
                      },
                      path};
    Windows windows(services);

    // Shows the window and returns its list once painted, or nullptr.
    PaintWatch watch;
    app.installEventFilter(&watch);
    const auto showAndPaint = [&](Clock::time_point *returned) -> QAbstractItemView * {
        watch.painted = false;
        HScoreList &window = windows.hScoreList.show();
        if (returned)
            *returned = Clock::now();
        auto *list = window.findChild<QAbstractItemView *>(QStringLiteral("List1"));
        return list && waitForPaint(watch) ? list : nullptr;
    };

    // A save of the list as loaded must give back the file it came from.
    if (!showAndPaint(nullptr)) {
        std::fprintf(stderr, "the list was never painted\n");
        return 1;
    }
    windows.hScoreList.unload();
    deleteClosedWindows();
    const bool unchangedIdentical = readBytes(path) == original;

    std::vector<double> load, showCall, showToPaint, afterShow, add, addOnly, afterAdd, save;
    bool savedIdentical = true;
    int listRows = 0;
    for (int run = -1; run < runs; ++run) { // run -1 is the warm-up
        if (!writeBytes(path, original)) {
            std::fprintf(stderr, "cannot restore %s\n", qPrintable(path));
            return 1;
        }

        // 1. The load step alone: the window's constructor reads, sorts and fills the list.
        const Clock::time_point start = Clock::now();
        auto *loaded = new HScoreList(windows);
        const double loadMs = msBetween(start, Clock::now());
        listRows = int(loaded->entries().size());
        delete loaded;

        // 2. Loading through the window slot as the game does, until the list is on screen.
        Clock::time_point returned;
        const Clock::time_point showStart = Clock::now();
        QAbstractItemView *list = showAndPaint(&returned);
        const Clock::time_point painted = Clock::now();
        if (!list) {
            std::fprintf(stderr, "the list was never painted\n");
            return 1;
        }

        // 3. One more entry in the full list, painted at once.
        HScoreList *window = windows.hScoreList.window();
        const Clock::time_point addStart = Clock::now();
        window->addEntry(kNewEntry);
        const Clock::time_point added = Clock::now();
        list->viewport()->repaint();
        const Clock::time_point repainted = Clock::now();
        // Whatever the view left for the event loop (a second paint, scroll bar updates).
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const Clock::time_point settled = Clock::now();

        // 4. Closing the window writes the file.
        const Clock::time_point saveStart = Clock::now();
        windows.hScoreList.unload();
        const double saveMs = msBetween(saveStart, Clock::now());
        deleteClosedWindows();
        savedIdentical = savedIdentical && readBytes(path) == expected;

        if (run >= 0) {
            load.push_back(loadMs);
            showCall.push_back(msBetween(showStart, returned));
            showToPaint.push_back(msBetween(showStart, painted));
            afterShow.push_back(msBetween(returned, painted));
            addOnly.push_back(msBetween(addStart, added));
            add.push_back(msBetween(addStart, repainted));
            afterAdd.push_back(msBetween(repainted, settled));
            save.push_back(saveMs);
        }
    }

    // The same file in plain C++.
    const std::string plainIn = QFile::encodeName(path).toStdString();
    const std::string plainOut =
        QFile::encodeName(dir.filePath(QStringLiteral("plain.trel"))).toStdString();
    if (!writeBytes(path, original)) {
        std::fprintf(stderr, "cannot restore %s\n", qPrintable(path));
        return 1;
    }
    std::vector<double> plainRead, plainChecked, plainWrite, plainDurable;
    bool plainIdentical = true;
    std::vector<std::string> lines;
    for (int run = -1; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        if (!plainReadSorted(plainIn, lines, false)) {
            std::fprintf(stderr, "cannot read %s\n", plainIn.c_str());
            return 1;
        }
        const Clock::time_point read = Clock::now();
        if (!plainReadSorted(plainIn, lines, true)) {
            std::fprintf(stderr, "cannot read %s\n", plainIn.c_str());
            return 1;
        }
        const Clock::time_point checkedRead = Clock::now();
        if (!plain::writeFile(plainOut, lines)) {
            std::fprintf(stderr, "cannot write %s\n", plainOut.c_str());
            return 1;
        }
        const Clock::time_point written = Clock::now();
        plainIdentical =
            plainIdentical && readBytes(QFile::decodeName(plainOut.c_str())) == original;
        const Clock::time_point durableStart = Clock::now();
        if (!plainWriteDurable(plainOut, lines)) {
            std::fprintf(stderr, "cannot write %s\n", plainOut.c_str());
            return 1;
        }
        const Clock::time_point durableDone = Clock::now();
        plainIdentical =
            plainIdentical && readBytes(QFile::decodeName(plainOut.c_str())) == original;
        if (run >= 0) {
            plainRead.push_back(msBetween(start, read));
            plainChecked.push_back(msBetween(read, checkedRead));
            plainWrite.push_back(msBetween(checkedRead, written));
            plainDurable.push_back(msBetween(durableStart, durableDone));
        }
    }

    const double loadMedian = median(load);
    const double paintMedian = median(showToPaint);
    const double addMedian = median(add);
    const double saveMedian = median(save);
    const double plainReadMedian = median(plainRead);
    const double plainWriteMedian = median(plainWrite);
    std::printf("list: %d entries loaded, %d after the added one; %d runs after one warm-up\n",
                listRows, int(withEntry.size()), runs);
    std::printf("HScoreList load (read+sort+fill): median %.2f ms\n", loadMedian);
    std::printf("HScoreList load+show call: median %.2f ms\n", median(showCall));
    std::printf("show to list painted: median %.2f ms (from the show() call, load included; goal "
                "< 60 ms: %s; %.2f ms of it after show() returned)\n",
                paintMedian, goal(paintMedian, 60), median(afterShow));
    std::printf("add one entry and repaint: median %.3f ms (goal < 2 ms: %s; addEntry alone %.3f "
                "ms; the next event-loop pass %.3f ms more)\n",
                addMedian, goal(addMedian, 2), median(addOnly), median(afterAdd));
    std::printf("save: median %.2f ms (goal < 10 ms: %s), byte-identical: %s\n", saveMedian,
                goal(saveMedian, 10), savedIdentical ? "yes" : "NO");
    std::printf("save of the unchanged list reproduces the input: %s\n",
                unchangedIdentical ? "yes" : "NO");
    std::printf("plain C++ read+sort: median %.2f ms\n", plainReadMedian);
    std::printf("plain C++ read+sort, sort skipped when already in order: median %.2f ms\n",
                median(plainChecked));
    std::printf("plain C++ write: median %.2f ms, byte-identical: %s\n", plainWriteMedian,
                plainIdentical ? "yes" : "NO");
    std::printf("plain C++ write via temporary file + fdatasync + rename: median %.2f ms\n",
                median(plainDurable));
    std::printf("ratio load/plain read+sort: %.1f\n", loadMedian / plainReadMedian);
    std::printf("ratio load/plain read+sort skipping a needless sort: %.1f\n",
                loadMedian / median(plainChecked));
    std::printf("ratio save/plain write: %.1f\n", saveMedian / plainWriteMedian);
    std::printf("ratio save/plain write via temporary file: %.1f\n",
                saveMedian / median(plainDurable));

    for (const QString &message : messages)
        std::fprintf(stderr, "message shown: %s\n", qPrintable(message));
    return savedIdentical && unchangedIdentical && plainIdentical && messages.isEmpty() ? 0 : 1;
}
