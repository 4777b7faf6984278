#include "scores/store.h"

#include "scores/format.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>

namespace Scores {

namespace {

// Past a file-size limit the system kills a writer with SIGXFSZ unless it is ignored; ignored,
// the write fails with "File too large", as on a full disk.
class FileSizeSignalIgnored
{
public:
    FileSizeSignalIgnored()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &m_old);
    }
    ~FileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &m_old, nullptr); }
    FileSizeSignalIgnored(const FileSizeSignalIgnored &) = delete;
    FileSizeSignalIgnored &operator=(const FileSizeSignalIgnored &) = delete;

private:
    struct sigaction m_old = {};
};

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

QStringList seedEntries(const Location &location)
{
    if (location.seedPath.isEmpty())
        return {};
    // Anything but a readable list there starts the player's list empty.
    const FileRead seed = readRegular(location.seedPath);
    return seed.status == OpenedFile::Open ? parse(seed.bytes) : QStringList();
}

} // namespace

Loaded load(const Location &location)
{
    if (location.path.isEmpty())
        return {seedEntries(location), {}, {}};
    // Read without the lock: were it caught in the middle of another copy's save in place, the
    // window would show a list that its own save does not trust, as it reads the file again.
    const FileRead file = readRegular(location.path);
    if (file.status == OpenedFile::Missing) {
        // A list beside the program that is refused (a link, say) is named, with where the
        // player's entries go instead.
        const FileRead seed =
            location.seedPath.isEmpty() ? FileRead{} : readRegular(location.seedPath);
        if (seed.status == OpenedFile::Refused) {
            return {{},
                    {},
                    QStringLiteral("Could not read the high scores from \"%1\": %2. New entries "
                                   "are saved to \"%3\".")
                        .arg(location.seedPath, seed.reason, location.path)};
        }
        return {seed.status == OpenedFile::Open ? parse(seed.bytes) : QStringList(), {}, {}};
    }
    if (file.status == OpenedFile::Refused) {
        return {{},
                {},
                QStringLiteral("Could not read the high scores from \"%1\": %2.")
                    .arg(location.path, file.reason)};
    }
    return {parse(file.bytes), file.bytes, {}};
}

Saved save(const Location &location, const View &view, const Pause &pause)
{
    // A list that was only looked at loses nothing when it cannot be tidied: no word of it.
    const auto failure = [&](const QString &reason) {
        if (view.added.isEmpty())
            return Saved{};
        QString message = location.path.isEmpty()
                              ? QStringLiteral("Could not save the high scores: %1.").arg(reason)
                              : QStringLiteral("Could not save the high scores to \"%1\": %2.")
                                    .arg(location.path, reason);
        message += QStringLiteral(" These new entries were not saved: \"%1\".")
                       .arg(view.added.join(QStringLiteral("\", \"")));
        return Saved{message, {}, {}};
    };

    // Only looking at the list changes no file, not even by a lock.
    if (view.added.isEmpty()) {
        if (!view.wasRead)
            return {};
        const FileRead file = readRegular(location.path);
        if (file.status == OpenedFile::Open) {
            const QStringList entries =
                file.bytes == view.loadedBytes ? view.shown : parse(file.bytes);
            if (serialize(entries) == file.bytes)
                return {{}, file.bytes, entries};
        } else if (file.status == OpenedFile::Missing && !location.seedPath.isEmpty()) {
            return {};
        }
    }
    if (location.path.isEmpty())
        return failure(location.problem);

    const QString folder = QFileInfo(location.path).absolutePath();
    if (!QDir().mkpath(folder))
        return failure(QStringLiteral("the folder \"%1\" could not be made").arg(folder));

    const FileSizeSignalIgnored fileSizeSignalIgnored;
    // Another copy may make the list between the look and the write; then this save adds to
    // that copy's list instead.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const OpenedFile file = lockRegular(location.path, pause);
        if (file.status == OpenedFile::Refused)
            return failure(file.reason);
        const bool exists = file.status == OpenedFile::Open;
        QByteArray now;
        if (exists) {
            if (const QString reason = readAll(file.fd.get(), now); !reason.isEmpty())
                return failure(reason);
        }

        QStringList entries;
        if (exists && view.wasRead && now == view.loadedBytes) {
            entries = view.shown; // nothing changed the file since the window read it
        } else {
            entries = exists ? parse(now) : seedEntries(location);
            for (const QString &entry : view.added) {
                const QString text = storable(entry);
                entries.insert(insertPosition(entries, text), text);
            }
        }
        const QByteArray bytes = serialize(entries);
        if (exceedsLimits(bytes)) {
            if (view.added.isEmpty())
                return {{}, now, parse(now)}; // only tidying a list at the limit: left as it is
            return failure(QStringLiteral("the list would grow past %1 bytes or %2 lines")
                               .arg(kMaxFileSize)
                               .arg(kMaxLines));
        }
        if (exists && bytes == now)
            return {{}, bytes, entries};

        if (exists)
            removeLeftovers(location.path);
        int error = replaceFile(location.path, bytes, exists ? &file.info : nullptr);
        if (!exists && (error == EEXIST || error == ENOENT))
            continue;
        if (exists && isPermissionError(error)) {
            // The folder may not be written, or a new file could not keep the list's owner,
            // group and mode: the list itself is rewritten.
            const InPlaceResult inPlace = writeInPlace(location.path, bytes, now, file.info);
            if (inPlace.error && !inPlace.restored) {
                return failure(systemReason(inPlace.error) +
                               QStringLiteral(", and its old entries could not be put back"));
            }
            error = inPlace.error;
        }
        if (error)
            return failure(systemReason(error));
        return {{}, bytes, entries};
    }
    return failure(QStringLiteral("other copies of the game kept changing it"));
}

} // namespace Scores
