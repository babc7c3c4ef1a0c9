// quintavo-cli: the players on the command line, for scripts, cron and timers.
#include "cliarguments.h"
#include "commandrunner.h"
#include "extratargets.h"
#include "playerstore.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Only results and errors by default; QT_LOGGING_RULES="quintavo.*=true"
    // still shows the hub's and the players' debug lines.
    QLoggingCategory::setFilterRules(QStringLiteral("quintavo.*.debug=false"));

    QStringList ignored;
    const QList<QHostAddress> stored = ExtraTargets::fromSettings(&ignored);
    const CliArguments arguments = CliArguments::read(QCoreApplication::arguments(), stored);
    std::fputs(arguments.output.toUtf8().constData(), stdout);
    std::fputs(arguments.error.toUtf8().constData(), stderr);
    if (!arguments.request)
        return arguments.exitStatus;
    for (const QString &text : qAsConst(ignored))
        std::fprintf(stderr, "quintavo-cli: %s\n",
                     ExtraTargets::ignoredNotice(text).toUtf8().constData());

    CliRequest request = *arguments.request;
    // The players the application remembers: read, never written.
    if (request.command == CliRequest::Command::List) {
        QString why;
        const QString path = PlayerStore::defaultPath();
        if (const auto remembered = PlayerStore::read(path, &why))
            request.remembered = *remembered;
        else
            std::fprintf(stderr, "quintavo-cli: cannot read the remembered players in %s (%s)\n",
                         path.toLocal8Bit().constData(), why.toUtf8().constData());
    }

    CommandRunner runner(request);
    QObject::connect(&runner, &CommandRunner::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &runner, &CommandRunner::start);
    return app.exec();
}
