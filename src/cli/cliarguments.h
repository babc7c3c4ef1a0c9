// Reads quintavo-cli's command line into a request, or into what to print and
// the exit status when there is nothing to run (--help, --version, a usage
// error). Prints nothing itself.
#pragma once

#include "clirequest.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CommandOptions;

class CliArguments
{
public:
    // arguments as QCoreApplication::arguments() gives them, the program first;
    // storedTargets from the settings file, scanned after those of --scan. The
    // help text needs the application object.
    static CliArguments read(const QStringList &arguments,
                             const QList<QHostAddress> &storedTargets);

    std::optional<CliRequest> request; // nothing: exit at once
    int exitStatus = ExitStatus::ok;
    QString output; // for standard output
    QString error; // one line for standard error

private:
    // What the program prints and ends with.
    static CliArguments ended(const CommandOptions &options);
};
