#include "applicationoptions.h"

#include "applicationinfo.h"
#include "extratargets.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <memory>

namespace {

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

ApplicationOptions ApplicationOptions::read(int &argc, char **argv)
{
    ApplicationOptions result;
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

    const auto fail = [&](const QString &message) {
        result.exitStatus = usageError;
        result.error = program + QStringLiteral(": ") + message + QLatin1Char('\n');
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(help)) {
        // The help text needs an application object; one without a display.
        std::unique_ptr<QCoreApplication> application;
        if (!QCoreApplication::instance())
            application = std::make_unique<QCoreApplication>(argc, argv);
        result.exitStatus = 0;
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitStatus = 0;
        result.output = identity.applicationName() + QLatin1Char(' ') + identity.versionText()
            + QLatin1Char('\n');
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\" (see --help)")
                        .arg(parser.positionalArguments().constFirst()));

    QString invalid;
    const auto targets = ExtraTargets::parseAll(parser.values(scan), &invalid);
    if (!targets)
        return fail(QStringLiteral("--scan needs an IPv4 address, not \"%1\"").arg(invalid));
    QStringList ignored;
    result.scanTargets = ExtraTargets::withStored(*targets, ExtraTargets::fromSettings(&ignored));
    for (const QString &text : qAsConst(ignored))
        result.error += program + QStringLiteral(": ") + ExtraTargets::ignoredNotice(text)
            + QLatin1Char('\n');
    return result;
}
