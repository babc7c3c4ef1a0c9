// Where the application keeps what lasts from one run to the next, for both
// programs: the settings (a file under ~/.config on Linux, the registry on
// Windows) and the data folder (~/.local/share/Halvorn/Quintavo on Linux,
// %LOCALAPPDATA%\Halvorn\Quintavo on Windows). The organisation and
// application names are given here rather than set on the application object,
// so that quintavo-cli reads what the window wrote.
#pragma once

#include <QSettings>
#include <QString>

class ApplicationStorage
{
public:
    static QSettings settings();
    // The user's own data folder on this machine (not the roaming one); it is
    // not made here.
    static QString dataLocation();
};
