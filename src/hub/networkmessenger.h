// The player hub: the one native object the scene sees, as "networkMessenger".
// It has discovery find players, keeps the list of players registered since the
// latest scan and the active one, feeds the directory of players the scene
// lists (and runs its scan rounds: the datagram at the addresses of players
// that have not answered, then the verdict), has the directory's players read
// from their file at start and written back, forwards the scene's commands to
// the active player, relays its replies, and relays the update check's offer.
#pragma once

#include "hubsettings.h"
#include "playerprotocol.h"
#include "rememberedplayer.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <functional>
#include <optional>

class Client;
class GroupList;
class NowPlaying;
class PlayerDirectory;
class PlayerFilter;
class PlayerDiscovery;
class PlayerStore;
class PlayingSchedule;
class PlaylistModel;
class QTimer;
class SelectionPlay;
class Updater;

class NetworkMessenger : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<QObject *> clients READ clients NOTIFY clientsUpdated)
    Q_PROPERTY(QObject *activeClient READ activeClient NOTIFY activeClientChanged)

public:
    explicit NetworkMessenger(QObject *parent = nullptr);
    explicit NetworkMessenger(const HubSettings &settings, QObject *parent = nullptr);
    ~NetworkMessenger() override;

    QList<QObject *> clients() const;
    QObject *activeClient() const;

    // Asks the update service for an offer, once per run: the hub does at start
    // unless its settings say otherwise, the application after its first frame.
    void checkForUpdate();

    quint16 hubPort() const;
    // Whether players can register: another program may hold the hub port,
    // which is tried again at each scan. The function is called once it is
    // listened on.
    bool isListening() const { return m_listening; }
    void whenListening(std::function<void()> then) { m_whenListening = std::move(then); }

    // Every player found, in a steady order, for the list on screen.
    PlayerDirectory *directory() const { return m_directory; }
    // The rows of it the list shows, by the text typed on it.
    PlayerFilter *filter() const { return m_filter; }
    // One entry played on every selected player, and the groups of players.
    SelectionPlay *selectionPlay() const { return m_selectionPlay; }
    GroupList *groups() const { return m_groups; }
    // The videos of the active player's latest answer, for its screen.
    PlaylistModel *playlist() const { return m_playlist; }
    // Makes this player the active one and asks for its playlist: what
    // queryClient does for the first player of an address.
    void open(Client *client);
    // Lists the remembered players, held as the settings asked, once they
    // are read (at once if they are).
    void listRemembered();

    Q_INVOKABLE void scanForClients();
    Q_INVOKABLE void queryClient(QString ipAddress);
    Q_INVOKABLE void quintavo(ushort index);

signals:
    void clientsUpdated();
    void activeClientChanged(QJsonObject json);
    void newUpdate(QString version, QString description, QString url, bool showMessage);

public slots:
    void jsonUpdated(QJsonObject json);
    void updateAvailable();

    // Part of the script surface that does nothing: registration links are
    // served by discovery, each one on its own.
    void addClient();
    void clientDisconnect();

private:
    void registerPlayer(const PlayerProtocol::RegistrationRecord &record);
    void sendDirect(int scan);
    void remember(const QVector<RememberedPlayer> &players);
    void save();

    // Registration links are served on a thread of their own: a scan that
    // a thousand players answer costs the GUI thread only their records.
    QThread m_discoveryThread;
    PlayerDiscovery *m_discovery;
    quint16 m_hubPort;
    bool m_listening;
    std::function<void()> m_whenListening;
    QList<QHostAddress> m_extraTargets; // they get the datagram at every scan
    // Each scan's steps: the datagram at the addresses of the players that
    // have not answered, then the verdict.
    int m_directAfter;
    int m_answerDeadline;
    // The file of remembered players, read and written on a thread of its
    // own; null when nothing is remembered. Written only once read.
    QThread m_storeThread;
    PlayerStore *m_store = nullptr;
    bool m_storeRead = false;
    bool m_holdRemembered;
    std::optional<QVector<RememberedPlayer>> m_heldPlayers; // read, not yet listed
    quint64 m_savedGeneration = 0;
    QTimer *m_saveTimer;
    PlayerDirectory *m_directory;
    PlayerFilter *m_filter;
    // Asks listed players for their playlists on links of their own, for
    // the rows and for Play on the selected players alike.
    NowPlaying *m_nowPlaying;
    PlayingSchedule *m_playingSchedule = nullptr; // null when players are not asked
    SelectionPlay *m_selectionPlay;
    GroupList *m_groups;
    PlaylistModel *m_playlist;
    // The players registered since the latest scan, in their order; each
    // belongs to its row of the directory.
    QList<QPointer<Client>> m_clients;
    // Null once its row has gone.
    QPointer<Client> m_activeClient;
    Updater *m_updater;
    bool m_updateCheckStarted = false;
};
