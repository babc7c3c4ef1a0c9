// Where the application keeps what lasts from one run to the next, the same
// for both programs: the settings file (~/.config/Halvorn/Quintavo.conf on
// Linux, the registry under HKEY_CURRENT_USER\Software\Halvorn\Quintavo on
// Windows) and the data folder (~/.local/share/Halvorn/Quintavo on Linux,
// %LOCALAPPDATA%\Halvorn\Quintavo on Windows). The organisation and
// application names are given here rather than set on the application
// object, so that quintavo-cli reads what the window wrote.
#pragma once

#include <QSettings>
#include <QString>

class ApplicationSettings : public QSettings
{
public:
    // Text in the file is read and written as UTF-8, so that a host name
    // typed into it reads as typed. (Qt 5 reads the names of keys as Latin-1
    // whatever the codec.)
    ApplicationSettings();

    // The user's own data folder on this machine (not the roaming one); it is
    // not made here.
    static QString dataLocation();
};
