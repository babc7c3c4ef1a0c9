#include "playerfinder.h"

#include "playerdiscovery.h"

#include <QTimer>

#include <algorithm>

#include <utility>

DiscoverySettings PlayerFinder::discoverySettings(const QList<QHostAddress> &extraTargets)
{
    DiscoverySettings settings;
    // Any free port: the datagram names it, so the tool works beside a running
    // application, which holds the usual one.
    settings.hubPort = 0;
    settings.extraTargets = extraTargets;
    return settings;
}

PlayerFinder::PlayerFinder(const DiscoverySettings &settings, int waitMilliseconds,
                           QList<PlayerChoice> wanted, QObject *parent)
    : QObject(parent), m_settings(settings), m_wanted(std::move(wanted)), m_wait(new QTimer(this))
{
    m_wait->setSingleShot(true);
    m_wait->setInterval(waitMilliseconds);
    connect(m_wait, &QTimer::timeout, this, &PlayerFinder::finished);
}

bool PlayerFinder::start(QString *error)
{
    m_discovery = new PlayerDiscovery(m_settings, this);
    if (!m_discovery->isListening()) {
        *error = QStringLiteral("cannot open a port for players to register on");
        return false;
    }
    connect(m_discovery, &PlayerDiscovery::registered, this, &PlayerFinder::take);
    m_discovery->scan();
    m_wait->start();
    return true;
}

void PlayerFinder::take(const PlayerProtocol::RegistrationRecord &record)
{
    const FoundPlayer player {record.hostName, QHostAddress(record.addressText).toString(),
                              record.commandPort};
    // A player that heard the datagram twice (by broadcast and at its own
    // address) registers twice.
    if (m_players.contains(player))
        return;
    m_players.append(player);
    if (m_wanted.isEmpty() || !m_wait->isActive())
        return;
    m_wanted.erase(
        std::remove_if(m_wanted.begin(), m_wanted.end(),
                       [&](const PlayerChoice &choice) { return choice.matches(player); }),
        m_wanted.end());
    if (m_wanted.isEmpty()) {
        m_wait->stop();
        emit found();
    }
}

std::optional<FoundPlayer> PlayerFinder::firstMatch(const PlayerChoice &choice) const
{
    for (const FoundPlayer &player : m_players)
        if (choice.matches(player))
            return player;
    return std::nullopt;
}
