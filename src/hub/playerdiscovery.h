// Finds the players on the network: a scan sends the discovery datagram to
// every broadcast network and to the extra targets, and each player that hears
// it registers over TCP on the hub port. Announces every complete registration
// record; knows nothing of player objects, the scene or the update check, so
// that a tool can find players with it alone. It may be moved to a thread of
// its own once made: it then takes every registration link there.
#pragma once

#include "discoverysettings.h"
#include "playerprotocol.h"

#include <QList>
#include <QObject>

class PendingRegistration;
class QTcpServer;
class QTimer;
class QUdpSocket;

class PlayerDiscovery : public QObject
{
    Q_OBJECT

public:
    // Registration links still waiting for their record. When all are taken, a
    // newcomer displaces the oldest once that one has had registrationGrace ms
    // to answer (a real player needs a few, a busy one a few hundred: links
    // are taken on a thread of their own, faster than a crowd of players on a
    // loaded machine may answer); until then newcomers wait in the listen
    // queue. So idle connections can neither exhaust descriptors nor lock real
    // players out, and a burst of real players is served in turn.
    static constexpr int maximumPendingRegistrations = 64;
    static constexpr int registrationGrace = 500;

    // Starts listening on the hub port at once; scans only when asked.
    explicit PlayerDiscovery(const DiscoverySettings &settings, QObject *parent = nullptr);
    ~PlayerDiscovery() override;

    // The port players register on, as listened on (settings may ask for any
    // free one).
    quint16 hubPort() const { return m_hubPort; }
    // Whether players can register: another program may hold the hub port.
    bool isListening() const { return m_listening; }

    // Sends one discovery datagram to each target.
    void scan();

signals:
    // A player's complete registration record; its link is closed right after.
    void registered(const PlayerProtocol::RegistrationRecord &record);

private:
    void widenListenQueue();
    void admit();
    void forget(PendingRegistration *pending);

    DiscoverySettings m_settings;
    QUdpSocket *m_udpSocket;
    QTcpServer *m_tcpServer;
    quint16 m_hubPort;
    bool m_listening;
    QList<PendingRegistration *> m_pending;
    QTimer *m_admitLater; // takes waiting links once the oldest pending one may go
};
