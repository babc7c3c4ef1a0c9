#include "networkmessenger.h"

#include "applicationinfo.h"
#include "client.h"
#include "grouplist.h"
#include "nowplaying.h"
#include "playerdirectory.h"
#include "playerdiscovery.h"
#include "playerfilter.h"
#include "playerstore.h"
#include "playingschedule.h"
#include "playlistmodel.h"
#include "selectionplay.h"
#include "updater.h"

#include <QTimer>

#include <utility>

NetworkMessenger::NetworkMessenger(QObject *parent) : NetworkMessenger(HubSettings(), parent) { }

NetworkMessenger::NetworkMessenger(const HubSettings &settings, QObject *parent)
    : QObject(parent),
      m_discovery(new PlayerDiscovery(settings)),
      m_hubPort(m_discovery->hubPort()),
      m_listening(m_discovery->isListening()),
      m_extraTargets(settings.extraTargets),
      m_directAfter(settings.directAfter),
      m_answerDeadline(settings.answerDeadline),
      m_holdRemembered(settings.holdRemembered),
      m_saveTimer(new QTimer(this)),
      m_directory(new PlayerDirectory(this)),
      m_filter(new PlayerFilter(m_directory, this)),
      m_nowPlaying(new NowPlaying(this)),
      m_selectionPlay(new SelectionPlay(m_directory, m_nowPlaying, this)),
      m_groups(new GroupList(m_directory, this)),
      m_playlist(new PlaylistModel(this))
{
    m_discoveryThread.setObjectName(QStringLiteral("discovery"));
    m_discovery->moveToThread(&m_discoveryThread);
    m_discoveryThread.start();
    connect(m_discovery, &PlayerDiscovery::registered, this, &NetworkMessenger::registerPlayer);
    connect(m_discovery, &PlayerDiscovery::listening, this, [this](quint16 port) {
        m_hubPort = port;
        m_listening = true;
        if (m_whenListening)
            m_whenListening();
    });
    connect(m_discovery, &PlayerDiscovery::scanDue, this, &NetworkMessenger::scanForClients);

    connect(m_directory, &PlayerDirectory::openRequested, this, &NetworkMessenger::open);
    m_nowPlaying->setDeadline(settings.playingPace.deadline);
    m_selectionPlay->setDeadline(settings.playingPace.deadline);
    if (settings.askWhatPlayersPlay) {
        m_playingSchedule = new PlayingSchedule(m_directory, m_nowPlaying, this);
        m_playingSchedule->setPace(settings.playingPace);
    }
    // The player screen takes an answer in on the next turn of the event loop:
    // relaying it stays as quick as the relay alone, whatever its size.
    connect(this, &NetworkMessenger::activeClientChanged, m_playlist, &PlaylistModel::show,
            Qt::QueuedConnection);

    if (!settings.playersFile.isEmpty()) {
        m_store = new PlayerStore(settings.playersFile);
        m_storeThread.setObjectName(QStringLiteral("store"));
        m_store->moveToThread(&m_storeThread);
        m_storeThread.start();
        connect(m_store, &PlayerStore::loaded, this,
                [this](const QVector<RememberedPlayer> &players) {
                    if (m_holdRemembered)
                        m_heldPlayers = players;
                    else
                        remember(players);
                });
        QMetaObject::invokeMethod(m_store, &PlayerStore::load, Qt::QueuedConnection);
        m_saveTimer->setSingleShot(true);
        m_saveTimer->setInterval(settings.saveDelay);
        connect(m_saveTimer, &QTimer::timeout, this, &NetworkMessenger::save);
        connect(m_directory, &PlayerDirectory::rememberedChanged, this, [this] {
            if (m_storeRead && !m_saveTimer->isActive())
                m_saveTimer->start();
        });
    }

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
    if (m_store) {
        // Whatever changed since the last write is written now, here: the
        // thread takes no more work.
        m_storeThread.quit();
        m_storeThread.wait();
        if (m_storeRead && m_directory->generation() != m_savedGeneration)
            m_store->save(m_directory->remembered());
        delete m_store;
    }
    // Those that point into the directory go first; with the directory go the
    // player objects, which its rows own.
    delete m_selectionPlay;
    delete m_filter;
    delete m_groups;
    delete m_directory;
}

quint16 NetworkMessenger::hubPort() const
{
    return m_hubPort;
}

QList<QObject *> NetworkMessenger::clients() const
{
    QList<QObject *> players;
    players.reserve(m_clients.size());
    // A player forgotten since it registered is gone from the list too.
    for (const QPointer<Client> &player : m_clients)
        if (player)
            players.append(player);
    return players;
}

QObject *NetworkMessenger::activeClient() const
{
    return m_activeClient;
}

void NetworkMessenger::scanForClients()
{
    // The list holds the players registered since the latest scan; the
    // directory keeps every player it has seen.
    m_clients.clear();
    const int scan = m_directory->scanStarted();
    QTimer::singleShot(m_directAfter, this, [this, scan] { sendDirect(scan); });
    QTimer::singleShot(m_answerDeadline, m_directory,
                       [directory = m_directory, scan] { directory->scanEnded(scan); });
    QMetaObject::invokeMethod(m_discovery, &PlayerDiscovery::scan, Qt::QueuedConnection);
}

void NetworkMessenger::sendDirect(int scan)
{
    QList<QHostAddress> addresses = m_directory->unanswered(scan);
    // The extra targets had theirs with the broadcast.
    for (const QHostAddress &target : qAsConst(m_extraTargets))
        addresses.removeAll(target);
    if (addresses.isEmpty())
        return;
    QMetaObject::invokeMethod(
        m_discovery, [discovery = m_discovery, addresses] { discovery->sendDirect(addresses); },
        Qt::QueuedConnection);
}

void NetworkMessenger::listRemembered()
{
    m_holdRemembered = false;
    if (m_heldPlayers)
        remember(*std::exchange(m_heldPlayers, std::nullopt));
}

void NetworkMessenger::remember(const QVector<RememberedPlayer> &players)
{
    m_directory->remember(players);
    m_storeRead = true;
    // The first scan reaches them at their addresses too, also where the
    // broadcast does not (a routed network).
    sendDirect(m_directory->latestScan());
    if (m_directory->generation() != m_savedGeneration)
        m_saveTimer->start();
}

void NetworkMessenger::save()
{
    m_savedGeneration = m_directory->generation();
    QMetaObject::invokeMethod(
        m_store, [store = m_store, players = m_directory->remembered()] { store->save(players); },
        Qt::QueuedConnection);
}

void NetworkMessenger::registerPlayer(const PlayerProtocol::RegistrationRecord &record)
{
    m_clients.append(m_directory->registered(
        record.hostName, QHostAddress(record.addressText).toString(), record.commandPort));
    emit clientsUpdated();
}

void NetworkMessenger::queryClient(QString ipAddress)
{
    const auto found
        = std::find_if(m_clients.cbegin(), m_clients.cend(), [&](const QPointer<Client> &entry) {
              return entry && entry->ipAddress() == ipAddress;
          });
    if (found == m_clients.cend())
        return;
    open(*found);
}

void NetworkMessenger::open(Client *client)
{
    // Its screen starts empty, so that no video of a player opened before
    // stands where a tap would send its index to this one.
    m_playlist->clear();
    m_directory->setOpened(client);
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
    if (m_playingSchedule && m_directory->rowOf(m_activeClient) >= 0)
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

// Part of the script surface that does nothing: registration links are served
// by discovery.
void NetworkMessenger::addClient() { }

void NetworkMessenger::clientDisconnect() { }

#include "moc_networkmessenger.cpp"
