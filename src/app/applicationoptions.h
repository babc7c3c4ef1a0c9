// The application's command line. --help and --version are answered before
// any window system is touched, so they work without a display; --scan adds
// scan targets to those kept in the settings file. Qt's own options (such as
// -platform) pass through to the application object.
#pragma once

#include <QHostAddress>
#include <QList>

#include <optional>

class ApplicationOptions
{
public:
    // Exit status of a usage error (an unknown option, a bad address).
    static constexpr int usageError = 2;

    // Reads the arguments and the settings file. Gives an exit status when the
    // program is to end at once; what it had to say is already printed then.
    std::optional<int> read(int &argc, char **argv);

    // --scan addresses first, then those of the settings file, each once.
    QList<QHostAddress> scanTargets() const { return m_scanTargets; }

private:
    QList<QHostAddress> m_scanTargets;
};
