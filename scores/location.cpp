#include "scores/location.h"

#include <cerrno>
#include <climits>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Scores {

namespace {

QString absoluteFromEnvironment(const char *name)
{
    const QString value = pathFromNative(qgetenv(name));
    return value.startsWith(u'/') ? value : QString();
}

} // namespace

QByteArray nativePath(const QString &path)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path.at(i).unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF)
            bytes += char(unit - 0xDC00);
        else
            bytes += path.sliced(i, QChar::isHighSurrogate(unit) && i + 1 < path.size() ? 2 : 1)
                         .toUtf8();
        i += QChar::isHighSurrogate(unit) ? 1 : 0;
    }
    return bytes;
}

QString pathFromNative(const QByteArray &bytes)
{
    QString path;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes.at(i));
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArrayView piece(bytes.constData() + i, std::min(length, bytes.size() - i));
        const bool valid = piece.size() == length && piece.isValidUtf8();
        path += valid ? QString::fromUtf8(piece) : QString(QChar(char16_t(0xDC00 + lead)));
        i += valid ? length : 1;
    }
    return path;
}

QString pathIn(const QString &folder)
{
    return folder + QStringLiteral("/High Scores.trel");
}

QString programFolder()
{
    char bytes[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", bytes, sizeof bytes);
    const QByteArray program(bytes, length > 0 ? length : 0);
    return pathFromNative(program.left(program.lastIndexOf('/')));
}

QString playerFolder()
{
    QString data = absoluteFromEnvironment("XDG_DATA_HOME");
    if (data.isEmpty()) {
        QString home = absoluteFromEnvironment("HOME");
        if (home.isEmpty()) {
            const passwd *account = ::getpwuid(::getuid());
            home = account ? pathFromNative(account->pw_dir) : QString();
        }
        if (!home.startsWith(u'/'))
            return {};
        data = home + QStringLiteral("/.local/share");
    }
    return data + QStringLiteral("/Vantrel");
}

Location locate(const QString &programFolder, const QString &ownFolder, bool alwaysOwn)
{
    const QString beside = pathIn(programFolder);
    const QByteArray native = nativePath(beside);
    struct stat info = {};
    const bool besideIsTheList =
        !alwaysOwn &&
        (::lstat(native.constData(), &info) == 0
             ? S_ISREG(info.st_mode) && ::access(native.constData(), W_OK) == 0
             : errno == ENOENT && ::access(nativePath(programFolder).constData(), W_OK) == 0);
    if (besideIsTheList)
        return {beside, {}, {}, ownFolder};
    if (ownFolder.isEmpty()) {
        return {{},
                beside,
                QStringLiteral("there is no folder of your own to keep them in: HOME is not set to "
                               "a full path, and your account names no home folder")};
    }
    return {pathIn(ownFolder), beside, {}, ownFolder};
}

} // namespace Scores
