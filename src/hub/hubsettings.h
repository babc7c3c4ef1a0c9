// Where the hub listens, scans and asks for updates. The application always uses
// the defaults; tests point the hub at loopback instead.
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
    QUrl updateUrl = Updater::defaultServiceUrl();
    // How long a player may take to answer the greeting with its record.
    int registrationDeadline = 30000;
};
