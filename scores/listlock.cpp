#include "scores/listlock.h"

#include "scores/location.h"

#include <QElapsedTimer>

#include <cerrno>
#include <sys/file.h>
#include <time.h>

namespace Scores {

namespace {

bool pauseBriefly()
{
    const timespec tenMilliseconds{0, 10'000'000};
    ::nanosleep(&tenMilliseconds, nullptr);
    return true;
}

// Whether the path still names the file that was locked.
bool stillNamed(const QByteArray &native, const OpenedFile &file)
{
    struct stat named = {};
    return ::lstat(native.constData(), &named) == 0 && named.st_dev == file.info.st_dev &&
           named.st_ino == file.info.st_ino;
}

} // namespace

OpenedFile lockRegular(const QString &path, const Pause &pause)
{
    QElapsedTimer waited;
    waited.start();
    const QByteArray native = nativePath(path);
    for (;;) {
        OpenedFile file = openRegular(path);
        if (file.status != OpenedFile::Open)
            return file;
        while (::flock(file.fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            // A file system that cannot lock at all: save as if no other copy ran.
            if (errno != EWOULDBLOCK)
                return file;
            if (waited.elapsed() >= kLockWaitMs || !(pause ? pause() : pauseBriefly()))
                return refused(
                    QStringLiteral("another program or copy of the game kept it locked"));
        }
        if (stillNamed(native, file)) {
            ::fstat(file.fd.get(), &file.info); // as it is now, after the last save
            return file;
        }
        if (waited.elapsed() >= kLockWaitMs)
            return refused(QStringLiteral("another copy of the game kept replacing it"));
    }
}

} // namespace Scores
