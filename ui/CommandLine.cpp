#include "ui/CommandLine.h"

#include "platform/DisplayProbe.h"
#include "ProgramInfo.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <string>

namespace {

constexpr int kUsageError = 2;

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> CommandLine::handle(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.isEmpty())
        arguments << QStringLiteral("zumikko");

    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform xcb, -display :1).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Zumikko, a typing-reaction game: press the letter the reel stops on, as fast as you can."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption platform(QStringLiteral("platform"),
                                      QStringLiteral("Qt's window-system platform: xcb (X11) or wayland."),
                                      QStringLiteral("name"));
    const QCommandLineOption display(QStringLiteral("display"),
                                     QStringLiteral("The X display to open instead of $DISPLAY."),
                                     QStringLiteral("display"));
    parser.addOptions({help, version, platform, display});

    const QString program = QStringLiteral("zumikko");
    const QString usage = QStringLiteral("Usage: %1 [--help] [--version] [-platform NAME] [-display DISPLAY]\n")
                              .arg(program);
    if (!parser.parse(arguments)) {
        print(stderr, QStringLiteral("%1: %2\n%3").arg(program, parser.errorText(), usage));
        return kUsageError;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QStringLiteral("%1: unexpected argument '%2'\n%3")
                          .arg(program, parser.positionalArguments().constFirst(), usage));
        return kUsageError;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt names no program in the usage line.
        print(stdout, parser.helpText().replace(QStringLiteral("<executable_name>"), program));
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("Zumikko %1\n").arg(QString::fromUtf8(ProgramInfo::kVersion)));
        return 0;
    }

    const std::string problem =
        DisplayProbe::problem(parser.value(platform).toStdString(), parser.value(display).toStdString());
    if (!problem.empty()) {
        print(stderr, QStringLiteral("%1: %2\n").arg(program, QString::fromStdString(problem)));
        return 1;
    }
    return std::nullopt;
}
