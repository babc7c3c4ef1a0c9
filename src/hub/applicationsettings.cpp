#include "applicationsettings.h"

#include "identity.h"

#include <QStandardPaths>

ApplicationSettings::ApplicationSettings()
    : QSettings(QString::fromLatin1(Identity::organizationName),
                QString::fromLatin1(Identity::applicationName))
{
    setIniCodec("UTF-8");
}

QString ApplicationSettings::dataLocation()
{
    // What AppLocalDataLocation gives when the application object carries the
    // two names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
        + QLatin1String(Identity::organizationName) + QLatin1Char('/')
        + QLatin1String(Identity::applicationName);
}
