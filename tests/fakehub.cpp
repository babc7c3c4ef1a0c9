#include "fakehub.h"

#include "grouplist.h"
#include "nowplaying.h"
#include "playerdirectory.h"
#include "playerfilter.h"
#include "playerprotocol.h"
#include "playlistmodel.h"
#include "scriptedplayer.h"
#include "selectionplay.h"

namespace {

// How long a scripted player that never answers is waited for.
constexpr int scriptedDeadline = 250;

} // namespace

FakeHub::FakeHub(QObject *parent)
    : QObject(parent),
      m_directory(new PlayerDirectory(this)),
      m_filter(new PlayerFilter(m_directory, this)),
      m_nowPlaying(new NowPlaying(this)),
      m_selectionPlay(new SelectionPlay(m_directory, m_nowPlaying, this)),
      m_groups(new GroupList(m_directory, this)),
      m_playlist(new PlaylistModel(this))
{
    m_nowPlaying->setDeadline(scriptedDeadline);
    m_selectionPlay->setDeadline(scriptedDeadline);
    connect(m_directory, &PlayerDirectory::openRequested, this, &FakeHub::open);
    connect(this, &FakeHub::activeClientChanged, m_playlist, &PlaylistModel::show,
            Qt::QueuedConnection); // as the hub does
}

QList<QObject *> FakeHub::clients() const
{
    QList<QObject *> players;
    for (const QPointer<Client> &player : m_clients)
        if (player)
            players.append(player);
    return players;
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
    for (const QPointer<Client> &client : qAsConst(m_clients)) {
        if (client && client->ipAddress() == ipAddress) {
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
    m_clients.append(
        m_directory->registered(hostname, QHostAddress(ipaddress).toString(), quint16(port)));
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

void FakeHub::addScriptedPlayer(const QString &hostname, const QStringList &descriptions, bool mute)
{
    auto *player = new ScriptedPlayer(this);
    m_scripted.append(player);
    const QByteArray playlist = ScriptedPlayer::playlist(descriptions);
    connect(player, &ScriptedPlayer::commandReceived, player, [player, playlist, mute](int link) {
        const QByteArray command = player->received(link).chopped(1);
        const auto index = PlayerProtocol::parseSwitchCommand(command);
        if (!index)
            player->reply(link, playlist);
        else if (!mute)
            player->reply(link, "{\"activeIndex\":" + QByteArray::number(*index) + "}" + '\0');
    });
    addPlayer(hostname, QStringLiteral("127.0.0.1"), player->commandPort());
}

void FakeHub::reset()
{
    m_selectionPlay->dismiss();
    m_filter->setText(QString());
    qDeleteAll(m_scripted);
    m_scripted.clear();
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

QVariantList FakeHub::rowsInView() const
{
    return {m_filter->firstRowInView(), m_filter->lastRowInView()};
}

int FakeHub::waitingForPlaylists() const
{
    return m_selectionPlay->waiting();
}
