#include "applicationoptions.h"

#include "applicationinfo.h"
#include "extratargets.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The options QGuiApplication takes from the command line itself.
void addQtOptions(QCommandLineParser &parser)
{
    const char *const valued[]
        = {"platform",        "platformpluginpath", "platformtheme", "plugin",  "qmljsdebugger",
           "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session", "display",
           "geometry"};
    const char *const flags[] = {"reverse", "nograb", "dograb"};
    for (const char *name : valued) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

std::optional<int> ApplicationOptions::read(int &argc, char **argv)
{
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    const QString program = QStringLiteral("quintavo");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    // Qt's own options are written with one dash (-platform offscreen).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("%1: %2\nScans also reach the addresses of --scan and of the list %3 in %4.")
            .arg(identity.applicationName(), identity.description(),
                 QLatin1String(ExtraTargets::settingsKey), ExtraTargets::settingsFile()));
    // Not addHelpOption(): its --help-all would list Qt's options, which it
    // prints only through QGuiApplication.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    const QCommandLineOption scan = ExtraTargets::option();
    parser.addOption(scan);
    addQtOptions(parser);

    if (!parser.parse(arguments)) {
        print(stderr,
              program + QStringLiteral(": ") + parser.errorText()
                  + QStringLiteral(" (see --help)\n"));
        return usageError;
    }
    if (parser.isSet(help)) {
        // The help text needs an application object; one without a display.
        QCoreApplication application(argc, argv);
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout,
              identity.applicationName() + QLatin1Char(' ') + identity.versionText()
                  + QLatin1Char('\n'));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr,
              program + QStringLiteral(": unexpected argument \"")
                  + parser.positionalArguments().constFirst()
                  + QStringLiteral("\" (see --help)\n"));
        return usageError;
    }

    QString invalid;
    const auto targets = ExtraTargets::parseAll(parser.values(scan), &invalid);
    if (!targets) {
        print(stderr,
              program + QStringLiteral(": --scan needs an IPv4 address, not \"") + invalid
                  + QStringLiteral("\"\n"));
        return usageError;
    }
    QStringList ignored;
    m_scanTargets = ExtraTargets::withStored(*targets, ExtraTargets::fromSettings(&ignored));
    for (const QString &text : qAsConst(ignored))
        print(stderr,
              program + QStringLiteral(": ") + ExtraTargets::ignoredNotice(text)
                  + QLatin1Char('\n'));
    return std::nullopt;
}
