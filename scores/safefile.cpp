#include "scores/safefile.h"

#include "scores/format.h"
#include "scores/location.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <utility>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace Scores {

namespace {

constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString tooLargeReason()
{
    return QStringLiteral("it is larger than %1 bytes or %2 lines, far more than any "
                          "high-score list")
        .arg(kMaxFileSize)
        .arg(kMaxLines);
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

// The temporary files of a save: a dot, the list's name, a dot and hexadecimal digits.
QByteArray temporaryPrefix(const QByteArray &name)
{
    return '.' + name + '.';
}

bool isTemporaryOf(const char *entry, const QByteArray &prefix)
{
    const size_t length = std::strlen(entry);
    if (length <= size_t(prefix.size()) || length > size_t(prefix.size()) + 16 ||
        std::strncmp(entry, prefix.constData(), size_t(prefix.size())) != 0)
        return false;
    return std::all_of(entry + prefix.size(), entry + length,
                       [](char c) { return std::isxdigit(uchar(c)); });
}

int moveIntoPlace(int dir, const char *temporary, const char *name, bool replace)
{
    if (replace)
        return ::renameat(dir, temporary, dir, name) == 0 ? 0 : errno;
    if (::renameat2(dir, temporary, dir, name, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without an exclusive rename: a hard link also fails if the name is taken.
    if (::linkat(dir, temporary, dir, name, 0) != 0)
        return errno;
    ::unlinkat(dir, temporary, 0);
    return 0;
}

} // namespace

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileDescriptor::release()
{
    return std::exchange(m_fd, -1);
}

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

OpenedFile refused(const QString &reason)
{
    OpenedFile result;
    result.status = OpenedFile::Refused;
    result.reason = reason;
    return result;
}

// The type is checked on the path and again on what was opened, without following a link, so
// swapping the file for a link or a pipe in between gains nothing; a pipe is opened without
// blocking, and a device is never opened at all unless it was swapped in at that moment.
OpenedFile openRegular(const QString &path)
{
    const QByteArray native = nativePath(path);
    OpenedFile result;
    if (::lstat(native.constData(), &result.info) != 0)
        return errno == ENOENT ? OpenedFile{} : refused(systemReason(errno));
    if (!S_ISREG(result.info.st_mode))
        return refused(kindReason(result.info.st_mode));
    if (result.info.st_size > kMaxFileSize)
        return refused(tooLargeReason());
    result.fd = FileDescriptor(::open(native.constData(), kReadFlags));
    if (result.fd.get() < 0) {
        if (errno == ENOENT)
            return {};
        return refused(errno == ELOOP ? kindReason(S_IFLNK) : systemReason(errno));
    }
    if (::fstat(result.fd.get(), &result.info) != 0)
        return refused(systemReason(errno));
    if (!S_ISREG(result.info.st_mode))
        return refused(kindReason(result.info.st_mode));
    result.status = OpenedFile::Open;
    return result;
}

QString readAll(int fd, QByteArray &bytes)
{
    // Read at most one byte past the cap, in case the file grew since it was opened.
    struct stat info = {};
    const qint64 expected = ::fstat(fd, &info) == 0 ? info.st_size : 0;
    bytes.resize(qsizetype(std::clamp<qint64>(expected, 0, kMaxFileSize)) + 1);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > kMaxFileSize)
                return tooLargeReason();
            bytes.resize(std::min<qsizetype>(2 * size, kMaxFileSize + 1));
        }
        const ssize_t n = ::pread(fd, bytes.data() + size, size_t(bytes.size() - size), size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemReason(errno);
        if (n == 0)
            break;
        size += n;
    }
    bytes.truncate(size);
    return exceedsLimits(bytes) ? tooLargeReason() : QString();
}

FileRead readRegular(const QString &path)
{
    const OpenedFile file = openRegular(path);
    FileRead result{file.status, {}, file.reason};
    if (file.status == OpenedFile::Open)
        result.reason = readAll(file.fd.get(), result.bytes);
    if (!result.reason.isEmpty())
        result.status = OpenedFile::Refused;
    return result;
}

namespace {

// Gives the new file at `to` what the list at `from` has: owner, group, mode, and every extended
// attribute, its access control list among them. EPERM when any of them cannot be given.
int takeOver(int to, const OpenedFile &from)
{
    if (::fchown(to, from.info.st_uid, from.info.st_gid) != 0 ||
        ::fchmod(to, from.info.st_mode & 07777) != 0)
        return errno;
    QByteArray names(XATTR_LIST_MAX, Qt::Uninitialized), value(XATTR_SIZE_MAX, Qt::Uninitialized);
    const ssize_t size = ::flistxattr(from.fd.get(), names.data(), size_t(names.size()));
    for (qsizetype at = 0; at < size; at += qsizetype(std::strlen(names.constData() + at)) + 1) {
        const char *name = names.constData() + at;
        const ssize_t length = ::fgetxattr(from.fd.get(), name, value.data(), size_t(value.size()));
        if (length < 0 || ::fsetxattr(to, name, value.constData(), size_t(length), 0) != 0)
            return EPERM;
    }
    return size < 0 && errno != ENOTSUP ? EPERM : 0;
}

// Creates a new file beside the list `name` in the folder `dir`, private from its first instant:
// another user can neither read, lock nor write it.
int createTemporary(int dir, const QByteArray &name, QByteArray &temporary, FileDescriptor &file)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary =
            temporaryPrefix(name) + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        file = FileDescriptor(::openat(dir, temporary.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.get() >= 0 || errno != EEXIST)
            return file.get() >= 0 ? 0 : errno;
    }
    return EEXIST;
}

} // namespace

int replaceFile(const QString &path, const QByteArray &bytes, const OpenedFile *old)
{
    const QFileInfo info(path);
    const FileDescriptor dir(
        ::open(nativePath(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return errno;
    const QByteArray name = nativePath(info.fileName());
    QByteArray temporary;
    FileDescriptor file;
    if (const int error = createTemporary(dir.get(), name, temporary, file))
        return error;
    // Locked while it is written, so a save that tidies up never takes it for a leftover.
    ::flock(file.get(), LOCK_EX | LOCK_NB);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error =
        old ? takeOver(file.get(), *old) : (::fchmod(file.get(), 0666 & ~mask) == 0 ? 0 : errno);
    if (!error)
        error = writeAll(file.get(), bytes, 0);
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    // Once the data is on disk, an error from close() changes nothing that matters.
    ::close(file.release());
    if (!error)
        error = moveIntoPlace(dir.get(), temporary.constData(), name.constData(), old != nullptr);
    if (error)
        ::unlinkat(dir.get(), temporary.constData(), 0);
    return error;
}

int makeFolder(const QString &folder)
{
    if (::mkdir(nativePath(folder).constData(), 0700) == 0 || errno == EEXIST)
        return 0;
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (errno != ENOENT || slash <= 0)
        return errno;
    const int error = makeFolder(folder.left(slash));
    return error ? error : makeFolder(folder);
}

QString recordPath(const QString &folder, const struct stat &list)
{
    return folder + QStringLiteral("/Unfinished save %1-%2")
                        .arg(quint64(list.st_dev), 0, 16)
                        .arg(quint64(list.st_ino), 0, 16);
}

namespace {

// The part of the list a save in place writes: from the first byte that changes to the last one
// when the size stays, else to the end.
struct Change
{
    qsizetype from = 0, newEnd = 0, oldEnd = 0;
};

Change changeBetween(const QByteArray &oldBytes, const QByteArray &bytes)
{
    const auto first =
        std::mismatch(oldBytes.cbegin(), oldBytes.cend(), bytes.cbegin(), bytes.cend());
    Change change{first.first - oldBytes.cbegin(), bytes.size(), oldBytes.size()};
    if (oldBytes.size() == bytes.size()) {
        const auto last = std::mismatch(oldBytes.crbegin(), oldBytes.crend(), bytes.crbegin());
        change.newEnd = change.oldEnd =
            std::max<qsizetype>(change.from, oldBytes.crend() - last.first);
    }
    return change;
}

// The record of a save in place, kept under the list's identity: where the change starts, the
// size and digest of the new list, then the new bytes from there on.
QByteArray recordOf(const QByteArray &bytes, const Change &change)
{
    return QByteArray::number(change.from) + ' ' + QByteArray::number(bytes.size()) + ' ' +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n' +
           bytes.sliced(change.from, change.newEnd - change.from);
}

int writeChange(int fd, const QByteArray &bytes, qsizetype from, qsizetype to)
{
    const int error = writeAll(fd, bytes.sliced(from, to - from), off_t(from));
    if (error)
        return error;
    return ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fdatasync(fd) == 0 ? 0 : errno;
}

// Opens the list for writing, if it is still the file `old` describes and holds `oldBytes`: else
// EAGAIN, as another program changed it without the lock.
int openUnchanged(const QString &path, const struct stat &old, const QByteArray &oldBytes,
                  FileDescriptor &fd)
{
    fd = FileDescriptor(::open(nativePath(path).constData(),
                               O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        return errno;
    QByteArray now;
    return sameFile(info, old) && readAll(fd.get(), now).isEmpty() && now == oldBytes ? 0 : EAGAIN;
}

// Kept, flushed, until the list holds one whole list again; the next game finishes a save killed
// in the middle from it. A list at the size limit is written without.
void keepRecord(const QString &record, const QByteArray &bytes, const Change &change)
{
    const QByteArray intent = recordOf(bytes, change);
    if (!exceedsLimits(intent) && makeFolder(QFileInfo(record).absolutePath()) == 0) {
        removeLeftovers(record); // of a record whose writing was killed
        ::unlink(nativePath(record).constData());
        replaceFile(record, intent, nullptr);
    }
}

// Reserving the space beyond the end leaves the size alone: were the game killed now, the file
// would still be the old list, with no gap of zeros at its end.
int reserve(int fd, qsizetype size)
{
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) == 0 || errno == EOPNOTSUPP ||
        errno == ENOSYS || errno == EINVAL)
        return 0;
    return errno;
}

// Whatever the calls said, the file holds what it holds: the player is told that.
InPlaceResult::Holds whatItHolds(int fd, const QByteArray &bytes, const QByteArray &oldBytes)
{
    QByteArray now;
    readAll(fd, now);
    return now == bytes      ? InPlaceResult::NewBytes
           : now == oldBytes ? InPlaceResult::OldBytes
                             : InPlaceResult::Neither;
}

} // namespace

InPlaceResult writeInPlace(const QString &path, const QByteArray &bytes, const QByteArray &oldBytes,
                           const struct stat &old, const QString &record)
{
    FileDescriptor fd;
    if (const int error = openUnchanged(path, old, oldBytes, fd))
        return {error, InPlaceResult::OldBytes};
    const Change change = changeBetween(oldBytes, bytes);
    if (!record.isEmpty())
        keepRecord(record, bytes, change);
    InPlaceResult result;
    result.error = bytes.size() > oldBytes.size() ? reserve(fd.get(), bytes.size()) : 0;
    if (!result.error)
        result.error = writeChange(fd.get(), bytes, change.from, change.newEnd);
    if (result.error) {
        writeChange(fd.get(), oldBytes, change.from, change.oldEnd);
        result.holds = whatItHolds(fd.get(), bytes, oldBytes);
    }
    if (!record.isEmpty() && result.holds != InPlaceResult::Neither)
        ::unlink(nativePath(record).constData());
    return result;
}

void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QByteArray prefix = temporaryPrefix(nativePath(info.fileName()));
    DIR *folder = ::opendir(nativePath(info.absolutePath()).constData());
    if (!folder)
        return;
    const int dir = ::dirfd(folder);
    while (const dirent *entry = ::readdir(folder)) {
        if (!isTemporaryOf(entry->d_name, prefix))
            continue;
        struct stat opened = {}, named = {};
        if (::fstatat(dir, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(named.st_mode))
            continue;
        const FileDescriptor file(::openat(dir, entry->d_name, kReadFlags));
        if (file.get() >= 0 && ::fstat(file.get(), &opened) == 0 && sameFile(opened, named) &&
            ::flock(file.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dir, entry->d_name, 0);
    }
    ::closedir(folder);
}

} // namespace Scores
