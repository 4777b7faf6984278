#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Safe access to the high-score file: only a regular file is read, and it is written either by
// replacing it whole or, where its folder may not be written, in place. No call here follows a
// link, blocks on a pipe or device, or leaves anything changed when it fails.
namespace Scores {

class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    ~FileDescriptor();
    int get() const { return m_fd; }
    int release();

private:
    int m_fd = -1;
};

// The system's words for an error number, and for a path that is not a regular file.
QString systemReason(int error);
QString kindReason(mode_t mode);

// A path opened for reading, if it names a regular file of at most kMaxFileSize bytes.
struct OpenedFile
{
    enum Status { Missing, Open, Refused } status = Missing;
    FileDescriptor fd;
    struct stat info = {};
    QString reason; // why it was refused
};
OpenedFile openRegular(const QString &path);
OpenedFile refused(const QString &reason);

// Reads the whole file open at fd. Returns "" or why it was refused (too large, a read error).
QString readAll(int fd, QByteArray &bytes);

// The bytes of the regular file at path, read as openRegular opens it.
struct FileRead
{
    OpenedFile::Status status = OpenedFile::Missing; // Open: the bytes were read
    QByteArray bytes;
    QString reason; // why it was refused
};
FileRead readRegular(const QString &path);

// Writes bytes to a new file beside path, flushed to disk, then renames it over path. The new
// file is the writer's alone from its creation; with `old`, the list it replaces, it takes that
// list's owner, group, mode and extended attributes (its access control list among them) before
// the first byte is written, and fails with EPERM if any of them cannot be kept. Without it,
// path must not exist yet: EEXIST says another file was put there meanwhile.
// Returns 0 or an error number; on error nothing is left behind.
int replaceFile(const QString &path, const QByteArray &bytes, const OpenedFile *old);

// Makes a folder and those above it that are missing, each one the player's alone. Returns 0 or
// an error number.
int makeFolder(const QString &folder);

// Where a save in place of the list `list` keeps its record among the player's own data.
QString recordPath(const QString &folder, const struct stat &list);

struct InPlaceResult
{
    int error = 0;
    enum Holds { NewBytes, OldBytes, Neither } holds = NewBytes; // what the file holds after it
};
// Rewrites the regular file at path, which must still be the file `old` describes and hold
// `oldBytes` (else EAGAIN: another program changed it without the lock). Only the bytes that
// change are written, in one call. First the record at `record` (none if empty) is flushed, so
// that a game killed in the middle leaves what the next game needs to finish the save; any
// failure puts the old bytes back. The result says what the file holds then, read back.
InPlaceResult writeInPlace(const QString &path, const QByteArray &bytes, const QByteArray &oldBytes,
                           const struct stat &old, const QString &record);

// Removes the temporary files beside path that copies of the game killed in a save left
// behind. A temporary file still being written is locked by its writer and stays.
void removeLeftovers(const QString &path);

} // namespace Scores
