#include "networkmessenger.h"

#include "applicationinfo.h"
#include "broadcasttargets.h"
#include "client.h"
#include "pendingregistration.h"
#include "updater.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

// Warnings only, unless QT_LOGGING_RULES="quintavo.*.debug=true": every scan
// writes debug lines, and an installed program's log must not fill up with them.
Q_LOGGING_CATEGORY(lcHub, "quintavo.hub", QtWarningMsg)

NetworkMessenger::NetworkMessenger(QObject *parent) : NetworkMessenger(HubSettings(), parent) { }

NetworkMessenger::NetworkMessenger(const HubSettings &settings, QObject *parent)
    : QObject(parent),
      m_udpSocket(new QUdpSocket(this)),
      m_tcpServer(new QTcpServer(this)),
      m_hubPort(settings.hubPort),
      m_settings(settings)
{
    if (m_tcpServer->listen(settings.listenAddress, m_hubPort)) {
        m_hubPort = m_tcpServer->serverPort(); // tests may ask for any free port
        widenListenQueue();
    } else {
        qCWarning(lcHub) << "Cannot listen for players on port" << m_hubPort << ":"
                         << m_tcpServer->errorString();
    }
    connect(m_tcpServer, &QTcpServer::newConnection, this, &NetworkMessenger::addClient);
    m_admitLater = new QTimer(this);
    m_admitLater->setSingleShot(true);
    connect(m_admitLater, &QTimer::timeout, this, &NetworkMessenger::addClient);

    // The updater is the hub's child: it lives as long as the hub, and no longer.
    m_updater = new Updater(ApplicationInfo::quintavo(), this);
    m_updater->setServiceUrl(settings.updateUrl);
    connect(m_updater, &Updater::updateAvailable, this, &NetworkMessenger::updateAvailable);
    if (settings.checkForUpdate)
        checkForUpdate();

    scanForClients();
}

void NetworkMessenger::checkForUpdate()
{
    if (m_updateCheckStarted)
        return;
    m_updateCheckStarted = true;
    m_updater->checkForUpdate();
}

NetworkMessenger::~NetworkMessenger()
{
    qDeleteAll(m_allClients);
}

bool NetworkMessenger::isListening() const
{
    return m_tcpServer->isListening();
}

QList<QObject *> NetworkMessenger::clients() const
{
    m_lastReadClients = m_clients;
    return m_clients;
}

QObject *NetworkMessenger::activeClient() const
{
    return m_activeClient;
}

void NetworkMessenger::scanForClients()
{
    qCDebug(lcHub) << "Scanning for Clients";
    m_clients.clear();
    releaseUnreachableClients();

    const QByteArray datagram = PlayerProtocol::discoveryDatagram(m_hubPort);
    const QList<QHostAddress> targets = m_settings.scanTargets
        ? *m_settings.scanTargets
        : BroadcastTargets::choose(BroadcastTargets::systemInterfaces());
    if (targets.isEmpty())
        qCDebug(lcHub) << "No valid broadcast network found";
    for (const QHostAddress &target : targets) {
        qCDebug(lcHub).noquote() << "Broadcasting to" << target.toString();
        m_udpSocket->writeDatagram(datagram, target, m_settings.discoveryPort);
    }
    for (const QHostAddress &target : qAsConst(m_settings.extraTargets)) {
        if (targets.contains(target))
            continue;
        qCDebug(lcHub).noquote() << "Also scanning at" << target.toString();
        m_udpSocket->writeDatagram(datagram, target, m_settings.discoveryPort);
    }
}

void NetworkMessenger::widenListenQueue()
{
#ifdef Q_OS_UNIX
    // Qt listens with a backlog of 50. Every player answers a scan at the same
    // moment, and connections beyond the backlog are lost on Linux: the player
    // believes itself connected and waits for a greeting that never comes.
    // Listening again on the same socket only enlarges the queue.
    ::listen(static_cast<int>(m_tcpServer->socketDescriptor()), SOMAXCONN);
#endif
}

void NetworkMessenger::addClient()
{
    while (m_tcpServer->hasPendingConnections()) {
        if (m_pending.size() >= maximumPendingRegistrations) {
            PendingRegistration *oldest = m_pending.first();
            const qint64 wait = registrationGrace - oldest->age();
            if (wait > 0) {
                m_admitLater->start(static_cast<int>(wait));
                return;
            }
            m_pending.removeFirst();
            oldest->drop();
            oldest->deleteLater();
        }
        QTcpSocket *socket = m_tcpServer->nextPendingConnection();
        connect(socket, &QTcpSocket::disconnected, this, &NetworkMessenger::clientDisconnect);
        auto *pending = new PendingRegistration(socket, m_settings.registrationDeadline, this);
        m_pending.append(pending);
        connect(pending, &PendingRegistration::registered, this,
                [this, pending](const PlayerProtocol::RegistrationRecord &record) {
                    registerPlayer(pending, record);
                });
        connect(pending, &PendingRegistration::failed, this, [this, pending] { forget(pending); });
    }
}

void NetworkMessenger::registerPlayer(PendingRegistration *pending,
                                      const PlayerProtocol::RegistrationRecord &record)
{
    qCDebug(lcHub) << record.hostName << record.addressText << "on port" << record.commandPort;
    m_clients.append(clientFor(record));
    forget(pending);
    emit clientsUpdated();
}

void NetworkMessenger::forget(PendingRegistration *pending)
{
    m_pending.removeOne(pending);
    pending->deleteLater();
    // A place is free for a link that waits in the listen queue.
    if (m_tcpServer->hasPendingConnections())
        addClient();
}

Client *NetworkMessenger::clientFor(const PlayerProtocol::RegistrationRecord &record)
{
    const QHostAddress address(record.addressText);
    // A player that registers again after a scan keeps its object; one that
    // registers twice between two scans gets a second entry of its own.
    for (Client *client : qAsConst(m_allClients)) {
        if (client->hostname() == record.hostName && client->ipAddress() == address.toString()
            && client->port() == record.commandPort && !m_clients.contains(client))
            return client;
    }
    auto *client = new Client(record.hostName, address, record.commandPort);
    m_allClients.append(client);
    return client;
}

void NetworkMessenger::releaseUnreachableClients()
{
    for (auto it = m_allClients.begin(); it != m_allClients.end();) {
        Client *client = *it;
        if (client == m_activeClient || m_clients.contains(client)
            || m_lastReadClients.contains(client)) {
            ++it;
            continue;
        }
        it = m_allClients.erase(it);
        client->deleteLater();
    }
}

void NetworkMessenger::clientDisconnect() { }

void NetworkMessenger::queryClient(QString ipAddress)
{
    const auto found = std::find_if(m_clients.cbegin(), m_clients.cend(), [&](QObject *entry) {
        return static_cast<Client *>(entry)->ipAddress() == ipAddress;
    });
    if (found == m_clients.cend())
        return;
    auto *client = static_cast<Client *>(*found);

    // Only the active player's replies reach the scene, each of them once.
    if (m_activeClient && m_activeClient != client)
        disconnect(m_activeClient, &Client::jsonChanged, this, &NetworkMessenger::jsonUpdated);
    m_activeClient = client;
    connect(client, &Client::jsonChanged, this, &NetworkMessenger::jsonUpdated,
            Qt::UniqueConnection);
    client->requestPlaylist();
}

void NetworkMessenger::quintavo(ushort index)
{
    if (m_activeClient)
        m_activeClient->switchToIndex(index);
}

void NetworkMessenger::jsonUpdated(QJsonObject json)
{
    emit activeClientChanged(json);
}

void NetworkMessenger::updateAvailable()
{
    emit newUpdate(m_updater->version(), m_updater->description(), m_updater->url(),
                   m_updater->showMessage());
}
