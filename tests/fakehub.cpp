#include "fakehub.h"

#include "playerdirectory.h"
#include "playlistmodel.h"

FakeHub::FakeHub(QObject *parent)
    : QObject(parent), m_directory(new PlayerDirectory(this)), m_playlist(new PlaylistModel(this))
{
    connect(m_directory, &PlayerDirectory::openRequested, this, &FakeHub::open);
    connect(this, &FakeHub::activeClientChanged, m_playlist, &PlaylistModel::show,
            Qt::QueuedConnection); // as the hub does
}

void FakeHub::scanForClients()
{
    ++m_scanCount;
    m_clients.clear();
    m_directory->scanStarted();
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
    // announced until it answers.
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

void FakeHub::reset()
{
    m_clients.clear();
    // A player leaves the directory after missing this many scans in a row,
    // counted from the first scan it did not answer.
    for (int scan = 0; scan <= PlayerDirectory::scansBeforeLeaving; ++scan)
        m_directory->scanStarted();
    m_activeClient = nullptr;
    m_scanCount = 0;
    m_queried.clear();
    m_switched.clear();
    m_playlist->clear();
    emit called();
    emit clientsUpdated();
}
