#include "scores/store.h"

#include "scores/format.h"

#include <QCryptographicHash>

#include <cerrno>
#include <optional>
#include <unistd.h>

namespace Scores {

namespace {

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

// A save that failed names the new entries; a list that was only looked at loses nothing when
// it cannot be tidied: no word of it.
Saved failure(const Location &location, const View &view, const QString &reason)
{
    if (view.added.isEmpty())
        return {};
    QString message = location.path.isEmpty()
                          ? QStringLiteral("Could not save the high scores: %1.").arg(reason)
                          : QStringLiteral("Could not save the high scores to \"%1\": %2.")
                                .arg(location.path, reason);
    message += QStringLiteral(" These new entries were not saved: \"%1\".")
                   .arg(view.added.join(QStringLiteral("\", \"")));
    return {message, {}, {}};
}

// Only looking at the list changes no file, not even by a lock, when it is tidy already.
std::optional<Saved> alreadyTidy(const Location &location, const View &view)
{
    if (!view.added.isEmpty())
        return std::nullopt;
    if (!view.wasRead)
        return Saved{};
    const FileRead file = readRegular(location.path);
    if (file.status == OpenedFile::Open) {
        const QStringList entries = file.bytes == view.loadedBytes ? view.shown : parse(file.bytes);
        if (serialize(entries) == file.bytes)
            return Saved{{}, file.bytes, entries};
    } else if (file.status == OpenedFile::Missing && !location.seedPath.isEmpty()) {
        return Saved{};
    }
    return std::nullopt;
}

// The list to write: the window's own while the file still holds what it read, else the file's
// list (or, with none, the one it starts from) with the window's new entries added.
QStringList merged(const Location &location, const View &view, const QByteArray *now)
{
    if (now && view.wasRead && *now == view.loadedBytes)
        return view.shown;
    QStringList entries = now ? parse(*now) : seedEntries(location);
    for (const QString &entry : view.added) {
        const QString text = storable(entry);
        entries.insert(insertPosition(entries, text), text);
    }
    return entries;
}

// Only the player's own data folder is ever made; any other must be there.
QString folderProblem(const Location &location)
{
    const QString folder = location.path.left(location.path.lastIndexOf(u'/'));
    struct stat info = {};
    if (folder == location.ownFolder) {
        if (const int error = makeFolder(folder))
            return QStringLiteral("the folder \"%1\" could not be made: %2")
                .arg(folder, systemReason(error));
    } else if (::stat(nativePath(folder).constData(), &info) != 0) {
        return QStringLiteral("its folder \"%1\" is not there: %2")
            .arg(folder, systemReason(errno));
    }
    return {};
}

// Writes bytes over the list `file`, which holds `now`: a new file takes its place, or, where the
// folder may not be written or a new file could not keep the list's access rules, the list
// itself is rewritten. Returns "" once written, or why not; nothing when another program changed
// the list without its lock: then it is read again.
std::optional<QString> writeOver(const Location &location, const OpenedFile &file,
                                 const QByteArray &now, const QByteArray &bytes)
{
    removeLeftovers(location.path);
    const int error = replaceFile(location.path, bytes, &file);
    if (!isPermissionError(error))
        return error ? systemReason(error) : QString();
    const QString record =
        location.ownFolder.isEmpty() ? QString() : recordPath(location.ownFolder, file.info);
    const InPlaceResult result = writeInPlace(location.path, bytes, now, file.info, record);
    if (result.error == EAGAIN && result.holds == InPlaceResult::OldBytes)
        return std::nullopt;
    if (!result.error || result.holds == InPlaceResult::NewBytes)
        return QString(); // in the file, even if the disk reported trouble flushing it
    return systemReason(result.error) +
           (result.holds == InPlaceResult::Neither
                ? QStringLiteral(", and its old entries could not be put back")
                : QString());
}

// Writes the list `entries` over `file`, which holds `now`, or as a new list where there is none.
// Nothing when another copy or program made or changed it meanwhile: it is read again.
std::optional<Saved> write(const Location &location, const View &view, const OpenedFile &file,
                           const QByteArray &now, const QStringList &entries)
{
    const QByteArray bytes = serialize(entries);
    std::optional<QString> reason;
    if (file.status == OpenedFile::Open) {
        reason = bytes == now ? QString() : writeOver(location, file, now, bytes);
    } else if (const int error = replaceFile(location.path, bytes, nullptr);
               error != EEXIST && error != ENOENT) {
        reason = error ? systemReason(error) : QString();
    }
    if (!reason)
        return std::nullopt;
    return reason->isEmpty() ? Saved{{}, bytes, entries} : failure(location, view, *reason);
}

// One attempt at a save, under the list's lock.
std::optional<Saved> saveOnce(const Location &location, const View &view, const Pause &pause)
{
    const OpenedFile file = lockRegular(location.path, pause);
    if (file.status == OpenedFile::Refused)
        return failure(location, view, file.reason);
    const bool exists = file.status == OpenedFile::Open;
    QByteArray now;
    if (const QString reason = exists ? readAll(file.fd.get(), now) : QString(); !reason.isEmpty())
        return failure(location, view, reason);
    const QStringList entries = merged(location, view, exists ? &now : nullptr);
    if (!exceedsLimits(serialize(entries)))
        return write(location, view, file, now, entries);
    if (view.added.isEmpty())
        return Saved{{}, now, parse(now)}; // only tidying a list at the limit: left as it is
    return failure(location, view,
                   QStringLiteral("the list would grow past %1 bytes or %2 lines")
                       .arg(kMaxFileSize)
                       .arg(kMaxLines));
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
    if (const std::optional<Saved> tidy = alreadyTidy(location, view))
        return *tidy;
    if (location.path.isEmpty())
        return failure(location, view, location.problem);
    if (const QString problem = folderProblem(location); !problem.isEmpty())
        return failure(location, view, problem);
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (std::optional<Saved> saved = saveOnce(location, view, pause))
            return *saved;
    }
    return failure(location, view,
                   QStringLiteral("other programs or copies of the game kept changing it"));
}

void finishInterruptedSave(const Location &location)
{
    struct stat list = {};
    if (location.ownFolder.isEmpty() || ::stat(nativePath(location.path).constData(), &list) != 0)
        return;
    const QString record = recordPath(location.ownFolder, list);
    if (::access(nativePath(record).constData(), F_OK) != 0)
        return;
    const OpenedFile file = lockRegular(location.path, {});
    if (file.status == OpenedFile::Refused)
        return; // held by another copy: the next game finishes it
    const FileRead intent = readRegular(record);
    const qsizetype headEnd = intent.bytes.indexOf('\n');
    const QList<QByteArray> head = intent.bytes.left(headEnd).split(' ');
    QByteArray now;
    if (file.status == OpenedFile::Open && head.size() == 3 &&
        recordPath(location.ownFolder, file.info) == record &&
        readAll(file.fd.get(), now).isEmpty()) {
        // The list as the save meant it, if the file holds the old list or a part of the new one
        // over it; a list that another player's copy saved since is left as it is.
        const QByteArray change = intent.bytes.sliced(headEnd + 1);
        const qsizetype from = std::min(head[0].toLongLong(), now.size());
        const QByteArray meant =
            (now.left(from) + change + now.mid(from + change.size())).left(head[1].toLongLong());
        if (QCryptographicHash::hash(meant, QCryptographicHash::Sha256).toHex() == head[2] &&
            meant != now)
            writeInPlace(location.path, meant, now, file.info, {});
    }
    ::unlink(nativePath(record).constData());
}

} // namespace Scores
