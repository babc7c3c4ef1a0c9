// The player hub: the one native object the scene sees, as "networkMessenger".
// It discovers players (a UDP broadcast, then each player registers over TCP),
// keeps the list of registered players and the active one, forwards the scene's
// commands to the active player, relays its replies, and relays the update
// check's offer.
#pragma once

#include "hubsettings.h"
#include "playerprotocol.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

class Client;
class PendingRegistration;
class QTcpServer;
class QTimer;
class QUdpSocket;
class Updater;

class NetworkMessenger : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<QObject *> clients READ clients NOTIFY clientsUpdated)
    Q_PROPERTY(QObject *activeClient READ activeClient NOTIFY activeClientChanged)

public:
    // Registration links still waiting for their record. When all are taken, a
    // newcomer displaces the oldest once that one has had registrationGrace ms
    // to answer (a real player needs a few); until then newcomers wait in the
    // listen queue. So idle connections can neither exhaust descriptors nor lock
    // real players out, and a burst of real players is served in turn.
    static constexpr int maximumPendingRegistrations = 64;
    static constexpr int registrationGrace = 200;

    explicit NetworkMessenger(QObject *parent = nullptr);
    explicit NetworkMessenger(const HubSettings &settings, QObject *parent = nullptr);
    ~NetworkMessenger() override;

    QList<QObject *> clients() const;
    QObject *activeClient() const;

    // Asks the update service for an offer, once per run: the hub does at start
    // unless its settings say otherwise, the application after its first frame.
    void checkForUpdate();

    quint16 hubPort() const { return m_hubPort; }
    // Whether players can register: another program may hold the hub port.
    bool isListening() const;

    Q_INVOKABLE void scanForClients();
    Q_INVOKABLE void queryClient(QString ipAddress);
    Q_INVOKABLE void quintavo(ushort index);

signals:
    void clientsUpdated();
    void activeClientChanged(QJsonObject json);
    void newUpdate(QString version, QString description, QString url, bool showMessage);

public slots:
    void addClient();
    void clientDisconnect();
    void jsonUpdated(QJsonObject json);
    void updateAvailable();

private:
    void widenListenQueue();
    void registerPlayer(PendingRegistration *pending,
                        const PlayerProtocol::RegistrationRecord &record);
    void forget(PendingRegistration *pending);
    Client *clientFor(const PlayerProtocol::RegistrationRecord &record);
    void releaseUnreachableClients();

    QUdpSocket *m_udpSocket;
    QTcpServer *m_tcpServer;
    quint16 m_hubPort; // as listened on: tests may ask for any free port
    QList<QObject *> m_clients;
    Client *m_activeClient = nullptr;
    Updater *m_updater;
    bool m_updateCheckStarted = false;

    HubSettings m_settings;
    QList<PendingRegistration *> m_pending;
    QTimer *m_admitLater; // takes waiting links once the oldest pending one may go
    // Every player object made so far and not yet released.
    QList<Client *> m_allClients;
    // The list as the scene last read it; its players stay alive.
    mutable QList<QObject *> m_lastReadClients;
};
