#include "scores/safefile.h"

#include "scores/format.h"

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
    const QByteArray native = QFile::encodeName(path);
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

int replaceFile(const QString &path, const QByteArray &bytes, const struct stat *old)
{
    const QFileInfo info(path);
    const FileDescriptor dir(::open(QFile::encodeName(info.absolutePath()).constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return errno;
    const QByteArray name = QFile::encodeName(info.fileName());
    QByteArray temporary;
    FileDescriptor file;
    for (int attempt = 0; file.get() < 0 && attempt < 100; ++attempt) {
        temporary =
            temporaryPrefix(name) + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        file = FileDescriptor(::openat(dir.get(), temporary.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.get() < 0 && errno != EEXIST)
            return errno;
    }
    if (file.get() < 0)
        return EEXIST;
    // Locked while it is written, so a save that tidies up never takes it for a leftover.
    ::flock(file.get(), LOCK_EX | LOCK_NB);
    int error = writeAll(file.get(), bytes, 0);
    if (!error && old && ::fchown(file.get(), old->st_uid, old->st_gid) != 0)
        error = errno;
    if (!error && old && ::fchmod(file.get(), old->st_mode & 07777) != 0)
        error = errno;
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

InPlaceResult writeInPlace(const QString &path, const QByteArray &bytes, const QByteArray &oldBytes,
                           const struct stat &old)
{
    const FileDescriptor fd(::open(QFile::encodeName(path).constData(),
                                   O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return {errno};
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0)
        return {errno};
    if (!sameFile(info, old) || info.st_size != oldBytes.size())
        return {EAGAIN};

    // Reserving the space beyond the end leaves the size alone: were the game killed now, the
    // file would still be the old list, with no gap of zeros at its end.
    InPlaceResult result;
    if (bytes.size() > oldBytes.size() &&
        ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        result.error = errno;
    if (!result.error)
        result.error = writeAll(fd.get(), bytes, 0);
    if (!result.error && ::ftruncate(fd.get(), off_t(bytes.size())) != 0)
        result.error = errno;
    if (!result.error && ::fdatasync(fd.get()) != 0)
        result.error = errno;
    if (result.error) {
        result.restored = writeAll(fd.get(), oldBytes, 0) == 0 &&
                          ::ftruncate(fd.get(), off_t(oldBytes.size())) == 0 &&
                          ::fdatasync(fd.get()) == 0;
    }
    return result;
}

void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QByteArray prefix = temporaryPrefix(QFile::encodeName(info.fileName()));
    DIR *folder = ::opendir(QFile::encodeName(info.absolutePath()).constData());
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
