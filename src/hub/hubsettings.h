// What the application's hub needs besides discovery: where it asks for
// updates, and whether it asks at all (tests and tools do not).
#pragma once

#include "discoverysettings.h"
#include "updater.h"

#include <QUrl>

struct HubSettings : DiscoverySettings
{
    QUrl updateUrl = Updater::defaultServiceUrl();
    bool checkForUpdate = true;
};
