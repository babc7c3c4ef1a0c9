// Finds players the way the application does: discovery scans (its datagram
// to every broadcast network and to the extra targets) and takes the players'
// registrations on a free port it announces in the datagram. Gathers them for
// a while, each once, or until every player that is looked for is found.
#pragma once

#include "discoverysettings.h"
#include "foundplayer.h"
#include "playerchoice.h"

#include <QList>
#include <QObject>

#include <optional>

class PlayerDiscovery;
class QTimer;

class PlayerFinder : public QObject
{
    Q_OBJECT

public:
    // Discovery's settings for a tool: a free port.
    static DiscoverySettings discoverySettings(const QList<QHostAddress> &extraTargets);

    PlayerFinder(const DiscoverySettings &settings, int waitMilliseconds,
                 QList<PlayerChoice> wanted = {}, QObject *parent = nullptr);

    // Opens the hub port and scans. False, with the reason in *error, when no
    // port can be opened.
    bool start(QString *error);

    // In order of registration, each player (name, address, port) once.
    QList<FoundPlayer> players() const { return m_players; }
    // The first player that registered and that the choice names.
    std::optional<FoundPlayer> firstMatch(const PlayerChoice &choice) const;

signals:
    // Every wanted player registered; the search is over.
    void found();
    // The wait is over without every wanted player, if any.
    void finished();

private:
    void take(const PlayerProtocol::RegistrationRecord &record);

    DiscoverySettings m_settings;
    QList<PlayerChoice> m_wanted; // those not found yet
    PlayerDiscovery *m_discovery = nullptr;
    QTimer *m_wait;
    QList<FoundPlayer> m_players;
};
