#include "fakehub.h"

#include "playerdirectory.h"
#include "playlistmodel.h"

FakeHub::FakeHub(QObject *parent)
    : QObject(parent), m_directory(new PlayerDirectory(this)), m_playlist(new PlaylistModel(this))
{
    connect(m_directory, &PlayerDirectory::openRequested, this, &FakeHub::open);
    // Like the hub: a remembered player gets an object when it is opened.
    m_directory->setClientFactory(
        [this](const QString &hostName, const QHostAddress &address, quint16 port) {
            return new Client(hostName, address, port, this);
        });
    connect(this, &FakeHub::activeClientChanged, m_playlist, &PlaylistModel::show,
            Qt::QueuedConnection); // as the hub does
}

void FakeHub::scanForClients()
{
    ++m_scanCount;
    m_clients.clear();
    m_scan = m_directory->scanStarted();
    emit called();
}

void FakeHub::queryClient(QString ipAddress)
{
    // Like the hub: the first player of that address.
    for (QObject *entry : qAsConst(m_clients)) {
        auto *client = static_cast<Client *>(entry);
        if (client->ipAddress() == ipAddress) {
            open(client);
            return;
        }
    }
}

void FakeHub::open(Client *client)
{
    // Like the hub: the player is active when the call returns, but nothing is
    // announced until it answers; its screen starts empty.
    m_playlist->clear();
    m_directory->setOpened(client);
    m_activeClient = client;
    m_queried.append(client->ipAddress());
    emit called();
}

void FakeHub::quintavo(ushort index)
{
    m_switched.append(index);
    emit called();
}

void FakeHub::addPlayer(const QString &hostname, const QString &ipaddress, int port)
{
    const QHostAddress address(ipaddress);
    Client *client = m_directory->client(address.toString(), quint16(port));
    if (client && !m_clients.contains(client))
        client->setHostname(hostname);
    else
        client = new Client(hostname, address, quint16(port), this);
    m_clients.append(client);
    m_directory->registered(client);
    emit clientsUpdated();
}

void FakeHub::playerAnswered(const QString &ipaddress, const QJsonObject &answer, int port)
{
    m_directory->answeredBy(m_directory->client(QHostAddress(ipaddress).toString(), quint16(port)),
                            answer);
}

void FakeHub::verdict()
{
    m_directory->scanEnded(m_scan);
}

void FakeHub::remember(const QString &hostname, const QString &ipaddress, const QString &lastSeen,
                       int playingIndex, const QString &playing)
{
    const QDateTime seen = QDateTime::fromString(lastSeen, Qt::ISODate);
    m_directory->remember(
        {{hostname, QHostAddress(ipaddress).toString(), 7000, seen, seen, playingIndex, playing}});
}

void FakeHub::reset()
{
    m_clients.clear();
    while (m_directory->count() > 0)
        m_directory->forget(0);
    m_activeClient = nullptr;
    m_scanCount = 0;
    m_queried.clear();
    m_switched.clear();
    m_playlist->clear();
    emit called();
    emit clientsUpdated();
}
