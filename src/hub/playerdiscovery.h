// Finds the players on the network: a scan sends the discovery datagram to
// every broadcast network and to the extra targets, and each player that hears
// it registers over TCP on the hub port; the datagram also goes to players'
// own addresses when asked. Announces every complete registration record;
// knows nothing of player objects, the scene or the update check, so that a
// tool can find players with it alone. It may be moved to a thread of its own
// once made: it then takes every registration link there.
//
// A hub port that another program holds is tried again at each scan. When
// asked to watch, it says when a scan is due at once: the machine slept (its
// timer came far later than due) or the set of its IPv4 networks changed.
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
    // Registration links still waiting for their record. A link holds at most
    // a record's bytes and its socket, some 4 KiB in all: pendingMemory caps
    // what they take together, and the open files the process may have cap
    // their count too (the soft limit is raised to the hard one first). When
    // every place is taken, a newcomer displaces the oldest once that one has
    // had registrationGrace ms to answer (a real player needs a few, a busy
    // one a few hundred: links are taken on a thread of their own, faster
    // than a crowd of players on a loaded machine may answer); until then
    // newcomers wait in the listen queue. So a flood of idle links can neither
    // exhaust descriptors nor keep a real player waiting long, and a crowd of
    // real players answering one scan is served at once.
    static constexpr qint64 pendingMemory = 8 * 1024 * 1024;
    static constexpr int pendingLinkCost = 4096;
    static constexpr int registrationGrace = 500;
    // How often the application's hub has discovery watch, and how much later
    // than due a look must come to tell that the machine slept.
    static constexpr int watchInterval = 2000;
    static constexpr int sleptAfter = 5000;

    // Starts listening on the hub port at once; scans only when asked.
    explicit PlayerDiscovery(const DiscoverySettings &settings, QObject *parent = nullptr);
    ~PlayerDiscovery() override;

    // The port players register on, as listened on (settings may ask for any
    // free one).
    quint16 hubPort() const { return m_hubPort; }
    // Whether players can register: another program may hold the hub port.
    // Read it on discovery's thread; others hear of a change by listening().
    bool isListening() const { return m_listening; }
    // How many registration links may wait for their record at once.
    int pendingPlaces() const { return m_pendingPlaces; }

    // Sends one discovery datagram to each target; listens first if the hub
    // port was taken.
    void scan();
    // Sends one discovery datagram to each of these players' addresses.
    void sendDirect(const QList<QHostAddress> &addresses);

signals:
    // A player's complete registration record; its link is closed right after.
    void registered(const PlayerProtocol::RegistrationRecord &record);
    // The hub port, taken at first, is now listened on.
    void listening(quint16 hubPort);
    // The machine slept or its networks changed: a scan is due.
    void scanDue();

private:
    bool listen();
    void widenListenQueue();
    void watch();
    QList<BroadcastTargets::Interface> interfaces() const;
    qint64 wallClock() const;
    void admit();
    void forget(PendingRegistration *pending);

    DiscoverySettings m_settings;
    QUdpSocket *m_udpSocket;
    QTcpServer *m_tcpServer;
    quint16 m_hubPort;
    bool m_listening;
    int m_pendingPlaces;
    QList<PendingRegistration *> m_pending;
    QTimer *m_admitLater; // takes waiting links once the oldest pending one may go
    QTimer *m_watch;
    qint64 m_lastLook = -1; // on the wall clock
    QStringList m_networks;
};
