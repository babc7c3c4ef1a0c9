// What the application's hub needs besides discovery: where it asks for
// updates, and whether it asks at all (tests and tools do not); whether the
// list asks its players what they play (tests whose players stand at made-up
// addresses do not); the file of remembered players (none: nothing is
// remembered, as in tests); and the times of a scan round.
#pragma once

#include "discoverysettings.h"
#include "playerdiscovery.h"
#include "playingschedule.h"
#include "updater.h"

#include <QString>
#include <QUrl>

struct HubSettings : DiscoverySettings
{
    HubSettings() { watchInterval = PlayerDiscovery::watchInterval; }

    QUrl updateUrl = Updater::defaultServiceUrl();
    // Whether the hub asks for an update as it starts. Otherwise it asks when
    // told to (NetworkMessenger::checkForUpdate), or never.
    bool checkForUpdate = true;
    bool askWhatPlayersPlay = true;
    PlayingSchedule::Pace playingPace;
    QString playersFile;
    // Whether the players read from it wait for listRemembered(): the
    // application lists them after its first frame, which an empty list
    // reaches sooner.
    bool holdRemembered = false;
    // After the broadcast: when the players that have not registered are sent
    // the datagram at their own address, and when those that still have not
    // are marked as not answering.
    int directAfter = PlayerDirectory::directAfter;
    int answerDeadline = PlayerDirectory::answerDeadline;
    // The longest the file waits to be written after a change.
    int saveDelay = 5000;
};
