// Where the hub listens, scans and asks for updates. The application uses the
// defaults plus the extra scan targets the user names; the command line tool
// listens on a free port and asks for no update; tests point the hub at loopback.
#pragma once

#include "playerprotocol.h"
#include "updater.h"

#include <QHostAddress>
#include <QList>
#include <QUrl>

#include <optional>

struct HubSettings
{
    quint16 discoveryPort = PlayerProtocol::discoveryPort;
    quint16 hubPort = PlayerProtocol::hubPort;
    QHostAddress listenAddress = QHostAddress(QHostAddress::AnyIPv4);
    // Fixed datagram targets; when unset every scan looks up the machine's
    // broadcast addresses.
    std::optional<QList<QHostAddress>> scanTargets;
    // Addresses every scan also sends its datagram to: players on networks the
    // broadcast does not reach (unicast, or another network's broadcast address).
    QList<QHostAddress> extraTargets;
    QUrl updateUrl = Updater::defaultServiceUrl();
    // Whether the hub asks for an update as it starts. Otherwise it asks when
    // told to (NetworkMessenger::checkForUpdate), or never.
    bool checkForUpdate = true;
    // How long a player may take to answer the greeting with its record.
    int registrationDeadline = 30000;
};
