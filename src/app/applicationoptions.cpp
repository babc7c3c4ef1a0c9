#include "applicationoptions.h"

#include "applicationinfo.h"
#include "commandoptions.h"
#include "extratargets.h"

#include <QCommandLineParser>
#include <QCoreApplication>

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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    CommandOptions options(
        QStringLiteral("quintavo"), identity.applicationName(),
        QStringLiteral("%1: %2\nScans also reach the addresses of --scan and of the list %3 in %4.")
            .arg(identity.applicationName(), identity.description(),
                 QLatin1String(ExtraTargets::settingsKey), ExtraTargets::settingsFile()));
    // Qt's own options are written with one dash (-platform offscreen).
    options.parser().setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addQtOptions(options.parser());

    const auto end = [&] {
        result.exitStatus = options.exitStatus();
        result.output = options.output();
        result.error = options.error();
        return result;
    };
    if (!options.parse(arguments)) {
        if (options.helpWanted()) {
            // The help text needs an application object; one without a display.
            const QCoreApplication application(argc, argv);
            result.exitStatus = 0;
            result.output = options.help();
            return result;
        }
        return end();
    }
    if (!options.parser().positionalArguments().isEmpty()) {
        options.fail(QStringLiteral("unexpected argument \"%1\" (see --help)")
                         .arg(options.parser().positionalArguments().constFirst()));
        return end();
    }
    QStringList ignored;
    const auto targets = options.scanTargets(ExtraTargets::fromSettings(&ignored));
    if (!targets)
        return end();
    result.scanTargets = *targets;
    for (const QString &text : qAsConst(ignored))
        result.error
            += QStringLiteral("quintavo: ") + ExtraTargets::ignoredNotice(text) + QLatin1Char('\n');
    return result;
}
