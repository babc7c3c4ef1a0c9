#include "applicationstorage.h"

#include "identity.h"

#include <QStandardPaths>

QSettings ApplicationStorage::settings()
{
    return QSettings(QString::fromLatin1(Identity::organizationName),
                     QString::fromLatin1(Identity::applicationName));
}

QString ApplicationStorage::dataLocation()
{
    // What AppLocalDataLocation gives when the application object carries the
    // two names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
        + QLatin1String(Identity::organizationName) + QLatin1Char('/')
        + QLatin1String(Identity::applicationName);
}
