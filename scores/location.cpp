#include "scores/location.h"

#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Scores {

namespace {

QString absoluteFromEnvironment(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    return value.startsWith(u'/') ? value : QString();
}

} // namespace

QString pathIn(const QString &folder)
{
    return folder + QStringLiteral("/High Scores.trel");
}

QString playerFolder()
{
    QString data = absoluteFromEnvironment("XDG_DATA_HOME");
    if (data.isEmpty()) {
        QString home = absoluteFromEnvironment("HOME");
        if (home.isEmpty()) {
            const passwd *account = ::getpwuid(::getuid());
            home = account ? QFile::decodeName(account->pw_dir) : QString();
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
    const QByteArray native = QFile::encodeName(beside);
    struct stat info = {};
    const bool besideIsTheList =
        !alwaysOwn && (::lstat(native.constData(), &info) == 0
                           ? S_ISREG(info.st_mode) && ::access(native.constData(), W_OK) == 0
                           : errno == ENOENT &&
                                 ::access(QFile::encodeName(programFolder).constData(), W_OK) == 0);
    if (besideIsTheList)
        return {beside, {}, {}};
    if (ownFolder.isEmpty()) {
        return {{},
                beside,
                QStringLiteral("there is no folder of your own to keep them in: HOME is not set to "
                               "a full path, and your account names no home folder")};
    }
    return {pathIn(ownFolder), beside, {}};
}

} // namespace Scores
