#include "networkmessenger.h"

#include "applicationinfo.h"
#include "client.h"
#include "playerdirectory.h"
#include "playerdiscovery.h"
#include "playingschedule.h"
#include "playlistmodel.h"
#include "updater.h"

NetworkMessenger::NetworkMessenger(QObject *parent) : NetworkMessenger(HubSettings(), parent) { }

NetworkMessenger::NetworkMessenger(const HubSettings &settings, QObject *parent)
    : QObject(parent),
      m_discovery(new PlayerDiscovery(settings)),
      m_directory(new PlayerDirectory(this)),
      m_playlist(new PlaylistModel(this))
{
    m_discoveryThread.setObjectName(QStringLiteral("discovery"));
    m_discovery->moveToThread(&m_discoveryThread);
    m_discoveryThread.start();
    connect(m_discovery, &PlayerDiscovery::registered, this, &NetworkMessenger::registerPlayer);
    connect(m_directory, &PlayerDirectory::openRequested, this, &NetworkMessenger::open);
    if (settings.askWhatPlayersPlay) {
        m_playingSchedule = new PlayingSchedule(m_directory, this);
        m_playingSchedule->setPace(settings.playingPace);
    }
    // The player screen takes an answer in on the next turn of the event loop:
    // relaying it stays as quick as the relay alone, whatever its size.
    connect(this, &NetworkMessenger::activeClientChanged, m_playlist, &PlaylistModel::show,
            Qt::QueuedConnection);

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
    // Its sockets belong to its thread and go there.
    QMetaObject::invokeMethod(
        m_discovery, [discovery = m_discovery] { delete discovery; }, Qt::BlockingQueuedConnection);
    m_discoveryThread.quit();
    m_discoveryThread.wait();
    // The directory's view of the players goes first: nothing may show a
    // player object that is gone.
    delete m_directory;
    qDeleteAll(m_allClients);
}

quint16 NetworkMessenger::hubPort() const
{
    return m_discovery->hubPort();
}

bool NetworkMessenger::isListening() const
{
    return m_discovery->isListening();
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
    // The list holds the players registered since the latest scan; the
    // directory keeps every player until it has missed several.
    m_clients.clear();
    m_directory->scanStarted();
    releaseUnreachableClients();
    QMetaObject::invokeMethod(m_discovery, &PlayerDiscovery::scan, Qt::QueuedConnection);
}

void NetworkMessenger::addClient()
{
    // Registration links are taken by discovery as they come.
}

void NetworkMessenger::registerPlayer(const PlayerProtocol::RegistrationRecord &record)
{
    Client *client = clientFor(record);
    m_directory->registered(client);
    m_clients.append(client);
    emit clientsUpdated();
}

Client *NetworkMessenger::clientFor(const PlayerProtocol::RegistrationRecord &record)
{
    const QHostAddress address(record.addressText);
    // A player that registers again after a scan keeps its object, also when
    // it comes back under another name; one that registers twice between two
    // scans gets a second entry of its own.
    Client *known = m_directory->client(address.toString(), record.commandPort);
    if (known && !m_clients.contains(known)) {
        known->setHostname(record.hostName);
        return known;
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
            || m_lastReadClients.contains(client) || m_directory->holds(client)) {
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
    open(static_cast<Client *>(*found));
}

void NetworkMessenger::open(Client *client)
{
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
    if (!m_activeClient)
        return;
    m_activeClient->switchToIndex(index);
    if (m_playingSchedule && m_directory->holds(m_activeClient))
        m_playingSchedule->switched({m_activeClient->ipAddress(), m_activeClient->port()});
}

void NetworkMessenger::jsonUpdated(QJsonObject json)
{
    emit activeClientChanged(json);
    // Only the active player's answers come here: its row shows what it plays.
    if (m_activeClient)
        m_directory->answeredBy(m_activeClient, json);
}

void NetworkMessenger::updateAvailable()
{
    emit newUpdate(m_updater->version(), m_updater->description(), m_updater->url(),
                   m_updater->showMessage());
}

#include "moc_networkmessenger.cpp"
