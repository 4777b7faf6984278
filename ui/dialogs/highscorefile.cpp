#include "ui/dialogs/highscorefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace HighScoreFile {

namespace {

constexpr char Cr = '\r';
constexpr char Lf = '\n';

// Writes the Latin-1 form of text to out and returns the number of bytes written
// (never more than text.size()). A character Latin-1 lacks becomes one '?', so a
// surrogate pair gives a single '?'. CR and LF become '?' too, or one entry would
// come back as two lines.
qsizetype encodeInto(const QString &text, char *out)
{
    const QChar *chars = text.constData();
    const qsizetype size = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (unit < 0x100 && unit != u'\r' && unit != u'\n') {
            out[written++] = char(unit);
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < size && chars[i + 1].isLowSurrogate())
            ++i;
        out[written++] = '?';
    }
    return written;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    void reset(int fd)
    {
        close();
        m_fd = fd;
    }
    // Closes now and reports whether the data reached the file system.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

QString systemReason(int error)
{
    return qt_error_string(error);
}

QString kindReason(mode_t mode)
{
    if (S_ISLNK(mode))
        return QStringLiteral("it is a symbolic link, not a regular file");
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

QString tooLargeReason()
{
    return QStringLiteral("it is larger than %1 bytes or %2 lines, far more than any "
                          "high-score list")
        .arg(kMaxFileSize)
        .arg(kMaxLines);
}

bool hasTooManyLines(const QByteArray &bytes)
{
    qsizetype lines = 0;
    const char *data = bytes.constData();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (data[i] == Lf && i > 0 && data[i - 1] == Cr)
            continue; // CR LF ends one line
        if ((data[i] == Cr || data[i] == Lf) && ++lines > kMaxLines)
            return true;
    }
    return lines + (bytes.endsWith(Cr) || bytes.endsWith(Lf) || bytes.isEmpty() ? 0 : 1) >
           kMaxLines;
}

struct FileRead
{
    enum Status { Missing, Read, Failed } status = Missing;
    QByteArray bytes;
    QString reason;
    struct stat info = {};
};

FileRead failed(const QString &reason)
{
    FileRead result;
    result.status = FileRead::Failed;
    result.reason = reason;
    return result;
}

// Reads the regular file at path and nothing else. The type is checked on the path and
// again on what was opened, without following a link, so swapping the file for a link or a
// pipe in between gains nothing; a pipe is opened non-blocking, so it cannot hang the game.
FileRead readRegular(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0)
        return errno == ENOENT ? FileRead{} : failed(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return failed(kindReason(info.st_mode));
    if (info.st_size > kMaxFileSize)
        return failed(tooLargeReason());

    FileDescriptor fd(
        ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return {};
        return failed(errno == ELOOP ? kindReason(S_IFLNK) : systemReason(errno));
    }
    if (::fstat(fd.get(), &info) != 0)
        return failed(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return failed(kindReason(info.st_mode));

    // Read at most one byte past the cap, in case the file grows while it is read.
    FileRead result;
    result.status = FileRead::Read;
    result.info = info;
    result.bytes.resize(qsizetype(std::min<qint64>(info.st_size, kMaxFileSize)) + 1);
    qsizetype size = 0;
    for (;;) {
        if (size == result.bytes.size()) {
            if (size > kMaxFileSize)
                return failed(tooLargeReason());
            result.bytes.resize(std::min<qsizetype>(2 * size, kMaxFileSize + 1));
        }
        const ssize_t n = ::read(fd.get(), result.bytes.data() + size, result.bytes.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(systemReason(errno));
        if (n == 0)
            break;
        size += n;
    }
    result.bytes.truncate(size);
    if (hasTooManyLines(result.bytes))
        return failed(tooLargeReason());
    return result;
}

// Writes all of bytes at offset, or returns the error that stopped it.
int writeAll(int fd, const QByteArray &bytes, off_t offset)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(left), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        data += n;
        offset += n;
        left -= n;
    }
    return 0;
}

// Writes a new file beside the old one and renames it over it once everything is on disk,
// so a failure at any point leaves the old list as it was. The rename replaces whatever
// name is at the path and never follows a link. Returns 0 or the error.
int writeAtomically(const QString &path, const QByteArray &bytes, const FileRead &old)
{
    const QFileInfo info(path);
    FileDescriptor dir(::open(QFile::encodeName(info.absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return errno;
    const QByteArray name = QFile::encodeName(info.fileName());
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary =
            '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = ::openat(dir.get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    FileDescriptor file(fd);
    int error = writeAll(file.get(), bytes, 0);
    if (!error && old.status == FileRead::Read && ::fchmod(file.get(), old.info.st_mode & 07777))
        error = errno;
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    if (!error && !file.close())
        error = errno;
    if (!error && ::renameat(dir.get(), temporary.constData(), dir.get(), name.constData()) != 0)
        error = errno;
    if (error) {
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return error;
    }
    return 0;
}

// For a list that may be written but sits in a folder that may not: rewrites the same file.
// The space is reserved first, so a full disk fails before anything changes; a write that
// fails later puts the old bytes back.
int writeInPlace(const QString &path, const QByteArray &bytes, const FileRead &old)
{
    FileDescriptor fd(::open(QFile::encodeName(path).constData(),
                             O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0)
        return errno;
    if (info.st_dev != old.info.st_dev || info.st_ino != old.info.st_ino)
        return EAGAIN; // the file was replaced while it was being saved
    const int reserved = ::posix_fallocate(fd.get(), 0, off_t(bytes.size()));
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
        return reserved;
    int error = writeAll(fd.get(), bytes, 0);
    if (!error && ::ftruncate(fd.get(), off_t(bytes.size())) != 0)
        error = errno;
    if (!error && ::fdatasync(fd.get()) != 0)
        error = errno;
    if (error) {
        if (writeAll(fd.get(), old.bytes, 0) == 0)
            (void)::ftruncate(fd.get(), off_t(old.bytes.size()));
        return error;
    }
    return fd.close() ? 0 : errno;
}

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

QString pathIn(const QString &folder)
{
    return folder + QStringLiteral("/High Scores.trel");
}

Location locate(const QString &programFolder, const QString &playerFolder)
{
    const QString beside = pathIn(programFolder);
    if (playerFolder.isEmpty())
        return {beside, {}};
    const QByteArray native = QFile::encodeName(beside);
    struct stat info = {};
    const bool canSave =
        ::lstat(native.constData(), &info) == 0
            ? !S_ISREG(info.st_mode) || ::access(native.constData(), W_OK) == 0
            : errno == ENOENT && ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0;
    if (canSave)
        return {beside, {}};
    return {pathIn(playerFolder), beside};
}

bool lessThan(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

qsizetype insertPosition(const QStringList &sorted, const QString &entry)
{
    return std::upper_bound(sorted.cbegin(), sorted.cend(), entry, lessThan) - sorted.cbegin();
}

QStringList parse(const QByteArray &bytes)
{
    struct Line
    {
        const char *start;
        qsizetype length;
    };
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    std::vector<Line> lines;
    lines.reserve(size_t(bytes.count(Lf) + bytes.count(Cr) + 1));

    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != Cr && data[end] != Lf)
            ++end;
        lines.push_back({data + pos, end - pos});
        pos = end + 1;
        if (end < size && data[end] == Cr && pos < size && data[pos] == Lf)
            ++pos;
    }

    // Only the writer's closing empty line goes; a file cut short keeps every entry.
    if (!lines.empty() && lines.back().length == 0)
        lines.pop_back();

    // The same order as lessThan, on the bytes themselves: every byte is one Latin-1
    // character, compared by its case folding. Sorting before the texts are made keeps
    // even a file of hundreds of thousands of short lines quick to open.
    static const std::array<char16_t, 256> folded = [] {
        std::array<char16_t, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[size_t(c)] = QChar(c).toCaseFolded().unicode();
        return table;
    }();
    const auto lineLess = [](const Line &a, const Line &b) {
        const qsizetype common = std::min(a.length, b.length);
        for (qsizetype i = 0; i < common; ++i) {
            const char16_t x = folded[uchar(a.start[i])], y = folded[uchar(b.start[i])];
            if (x != y)
                return x < y;
        }
        return a.length < b.length;
    };
    if (!std::is_sorted(lines.cbegin(), lines.cend(), lineLess))
        std::stable_sort(lines.begin(), lines.end(), lineLess);

    QStringList entries;
    entries.reserve(qsizetype(lines.size()));
    for (const Line &line : lines)
        entries.append(QString::fromLatin1(line.start, line.length));
    return entries;
}

QByteArray serialize(const QStringList &entries)
{
    qsizetype capacity = 2;
    for (const QString &entry : entries)
        capacity += entry.size() + 2;

    QByteArray bytes(capacity, Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype pos = 0;
    for (const QString &entry : entries) {
        pos += encodeInto(entry, out + pos);
        out[pos++] = Cr;
        out[pos++] = Lf;
    }
    out[pos++] = Cr;
    out[pos++] = Lf;
    bytes.truncate(pos);
    return bytes;
}

LoadResult load(const Location &location)
{
    QString path = location.path;
    FileRead file = readRegular(path);
    if (file.status == FileRead::Missing && !location.seedPath.isEmpty()) {
        path = location.seedPath;
        file = readRegular(path);
    }
    if (file.status == FileRead::Failed) {
        return {{},
                QStringLiteral("Could not read the high scores from \"%1\": %2.")
                    .arg(path, file.reason),
                {}};
    }
    return {parse(file.bytes), {}, file.bytes};
}

QString save(const Location &location, const QStringList &added, const QByteArray &loadedBytes,
             const QStringList &shown)
{
    const auto failure = [&](const QString &reason) {
        QString message = QStringLiteral("Could not save the high scores to \"%1\": %2.")
                              .arg(location.path, reason);
        if (!added.isEmpty()) {
            message += QStringLiteral(" These new entries were not saved: \"%1\".")
                           .arg(added.join(QStringLiteral("\", \"")));
        }
        return message;
    };

    // Only looking at the list changes no file, not even by a lock. A file as the window read
    // it need not be parsed again: the window's list is what it holds.
    if (added.isEmpty()) {
        const FileRead now = readRegular(location.path);
        const bool asRead = now.bytes == loadedBytes && !shown.isEmpty();
        if (now.status == FileRead::Read &&
            serialize(asRead ? shown : parse(now.bytes)) == now.bytes)
            return {};
        if (now.status == FileRead::Missing && !location.seedPath.isEmpty())
            return {};
    }

    const QString folder = QFileInfo(location.path).absolutePath();
    if (!QDir().mkpath(folder))
        return failure(QStringLiteral("the folder \"%1\" could not be made").arg(folder));

    // Another copy of the game may save the same list: read it again under the lock and add
    // this window's entries to what is there now. QLockFile takes over a lock whose owner has
    // died. A folder that cannot hold the lock file can only be written in place, so the list
    // itself is locked instead.
    QLockFile lock(location.path + QStringLiteral(".lock"));
    if (!lock.tryLock(10000) && lock.error() == QLockFile::LockFailedError)
        return failure(QStringLiteral("another copy of the game kept the list locked"));
    FileDescriptor listLock;
    if (!lock.isLocked()) {
        listLock.reset(::open(QFile::encodeName(location.path).constData(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (listLock.get() >= 0)
            ::flock(listLock.get(), LOCK_EX);
    }

    const FileRead now = readRegular(location.path);
    if (now.status == FileRead::Failed)
        return failure(now.reason);
    QStringList entries;
    if (now.status == FileRead::Read && now.bytes == loadedBytes && !shown.isEmpty()) {
        entries = shown; // nothing changed the file since the window read it
    } else {
        if (now.status == FileRead::Read) {
            entries = parse(now.bytes);
        } else if (!location.seedPath.isEmpty()) {
            // The player's own list starts from the one beside the program, if it can be read.
            entries = parse(readRegular(location.seedPath).bytes);
        }
        for (const QString &entry : added) {
            const QString text = storable(entry);
            entries.insert(insertPosition(entries, text), text);
        }
    }
    // Every entry is one line: serialize turns any line break into '?'.
    const QByteArray bytes = serialize(entries);
    if (bytes.size() > kMaxFileSize || entries.size() + 1 > kMaxLines) {
        if (added.isEmpty())
            return {}; // only tidying a list at the limit: it stays as it is
        return failure(QStringLiteral("the list would grow past %1 bytes or %2 lines")
                           .arg(kMaxFileSize)
                           .arg(kMaxLines));
    }
    int error = writeAtomically(location.path, bytes, now);
    if (isPermissionError(error) && now.status == FileRead::Read)
        error = writeInPlace(location.path, bytes, now);
    return error ? failure(systemReason(error)) : QString();
}

QString storable(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bytes.truncate(encodeInto(text, bytes.data()));
    return QString::fromLatin1(bytes);
}

} // namespace HighScoreFile
