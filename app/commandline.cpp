#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kUsageError = 2;
constexpr int kWriteError = 1;

// False when the text could not be written whole, as on a full disk or a closed stream.
bool print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    return std::fflush(stream) == 0 && written;
}

// Answers on standard output; a failed write is an error, told on standard error.
int answer(const QString &program, const QString &text)
{
    if (print(stdout, text))
        return 0;
    const int error = errno;
    print(stderr, QStringLiteral("%1: cannot write to standard output: %2\n")
                      .arg(program, QString::fromLocal8Bit(std::strerror(error))));
    return kWriteError;
}

} // namespace

std::optional<int> answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString program =
        arguments.isEmpty() ? QStringLiteral("vantrel") : QFileInfo(arguments[0]).fileName();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A code-breaking game: find the hidden code of four coloured pegs in ten "
                       "guesses."));
    // "-reverse" is one unknown option, not -r -e -v -e -r -s -e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and quit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and quit."));
    // A session manager restores the game with the session's id; the game keeps no session.
    QCommandLineOption session(QStringLiteral("session"), QString(), QStringLiteral("id"));
    session.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(session);
    // Without an application object the parser does not know the program's name.
    const QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"), program);

    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\n\n%3").arg(program, error, usage));
        return kUsageError;
    }
    if (parser.isSet(help))
        return answer(program, usage);
    if (parser.isSet(version))
        return answer(program, QStringLiteral("Vantrel %1\n").arg(QStringLiteral(VANTREL_VERSION)));
    return std::nullopt;
}
