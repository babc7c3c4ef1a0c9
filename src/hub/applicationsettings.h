// The application's settings file, the one both programs read and write:
// ~/.config/Halvorn/Quintavo.conf on Linux, the registry under
// HKEY_CURRENT_USER\Software\Halvorn\Quintavo on Windows. The organisation
// and application names are given here rather than set on the application
// object, so that the file is the same for the window and quintavo-cli.
#pragma once

#include <QSettings>

class ApplicationSettings : public QSettings
{
public:
    // Text in the file is read and written as UTF-8, so that a host name
    // typed into it reads as typed. (Qt 5 reads the names of keys as Latin-1
    // whatever the codec.)
    ApplicationSettings();
};
