#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
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
    parser.addOption(help);
    parser.addOption(version);
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
    if (parser.isSet(help)) {
        print(stdout, usage);
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Vantrel %1\n").arg(QStringLiteral(VANTREL_VERSION)));
        return 0;
    }
    return std::nullopt;
}
