// What the application's hub needs besides discovery: where it asks for
// updates, and whether it asks at all (tests and tools do not); whether the
// list asks its players what they play (tests whose players stand at made-up
// addresses do not).
#pragma once

#include "discoverysettings.h"
#include "playingschedule.h"
#include "updater.h"

#include <QUrl>

struct HubSettings : DiscoverySettings
{
    QUrl updateUrl = Updater::defaultServiceUrl();
    // Whether the hub asks for an update as it starts. Otherwise it asks when
    // told to (NetworkMessenger::checkForUpdate), or never.
    bool checkForUpdate = true;
    bool askWhatPlayersPlay = true;
    PlayingSchedule::Pace playingPace;
};
