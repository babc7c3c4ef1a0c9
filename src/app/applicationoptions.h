// The application's command line. --help and --version are answered before
// any window system is touched, so they work without a display; --scan adds
// scan targets to those kept in the settings file. Qt's own options (such as
// -platform) are left to the application object. Prints nothing itself.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

class ApplicationOptions
{
public:
    // Reads the arguments as main() has them, and leaves them as they are for
    // the application object; reads the settings file too.
    static ApplicationOptions read(int &argc, char **argv);

    std::optional<int> exitStatus; // the program ends at once
    QString output; // for standard output
    // For standard error: a usage error, or a line for each entry of the
    // settings file that is left out.
    QString error;
    // --scan addresses first, then those of the settings file, each once.
    QList<QHostAddress> scanTargets;
};
