#include "playerfinder.h"

#include "client.h"
#include "networkmessenger.h"

#include <QTimer>

#include <utility>

HubSettings PlayerFinder::hubSettings(const QList<QHostAddress> &extraTargets)
{
    HubSettings settings;
    // Any free port: the datagram names it, so the tool works beside a running
    // application, which holds the usual one.
    settings.hubPort = 0;
    settings.extraTargets = extraTargets;
    settings.checkForUpdate = false;
    return settings;
}

PlayerFinder::PlayerFinder(const HubSettings &settings, int waitMilliseconds,
                           std::optional<PlayerChoice> wanted, QObject *parent)
    : QObject(parent), m_settings(settings), m_wanted(std::move(wanted)), m_wait(new QTimer(this))
{
    m_wait->setSingleShot(true);
    m_wait->setInterval(waitMilliseconds);
    connect(m_wait, &QTimer::timeout, this, &PlayerFinder::finished);
}

bool PlayerFinder::start(QString *error)
{
    m_hub = new NetworkMessenger(m_settings, this); // listens and scans at once
    if (!m_hub->isListening()) {
        *error = QStringLiteral("cannot open a port for players to register on");
        return false;
    }
    connect(m_hub, &NetworkMessenger::clientsUpdated, this, &PlayerFinder::takeRegistrations);
    m_wait->start();
    return true;
}

void PlayerFinder::takeRegistrations()
{
    // The hub scans only once, so its list only grows.
    const QList<QObject *> clients = m_hub->clients();
    for (; m_seen < clients.size(); ++m_seen) {
        const auto *client = static_cast<const Client *>(clients.at(m_seen));
        const FoundPlayer player {client->hostname(), client->ipAddress(), client->port()};
        // A player that heard the datagram twice (by broadcast and at its own
        // address) registers twice.
        if (m_players.contains(player))
            continue;
        m_players.append(player);
        if (m_wanted && m_wait->isActive() && m_wanted->matches(player)) {
            m_wait->stop();
            emit found(player);
        }
    }
}
