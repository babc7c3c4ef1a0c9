#include "applicationsettings.h"

#include "identity.h"

ApplicationSettings::ApplicationSettings()
    : QSettings(QString::fromLatin1(Identity::organizationName),
                QString::fromLatin1(Identity::applicationName))
{
    setIniCodec("UTF-8");
}
