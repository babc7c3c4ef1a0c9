// Where discovery listens and what a scan reaches. The application uses the
// defaults plus the extra scan targets the user names; the command line tool
// listens on a free port; tests point discovery at loopback.
#pragma once

#include "broadcasttargets.h"
#include "playerprotocol.h"

#include <QHostAddress>
#include <QList>

#include <functional>
#include <optional>

struct DiscoverySettings
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
    // How long a player may take to answer the greeting with its record.
    int registrationDeadline = 30000;
    // How many registration links may wait for their record at once; 0: as
    // many as memory and the open-files limit allow.
    int pendingPlaces = 0;
    // How often discovery looks whether the machine slept or its networks
    // changed, either of which calls for a scan at once; 0: never. Tests give
    // the interfaces and the wall clock (ms since the epoch) it reads.
    int watchInterval = 0;
    std::function<QList<BroadcastTargets::Interface>()> interfaces;
    std::function<qint64()> wallClock;
};
