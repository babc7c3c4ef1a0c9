// The player hub: the one native object the scene sees, as "networkMessenger".
// It has discovery find players, keeps the list of players registered since the
// latest scan and the active one, feeds the directory of players the scene
// lists, forwards the scene's commands to the active player, relays its replies,
// and relays the update check's offer.
#pragma once

#include "hubsettings.h"
#include "playerprotocol.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

class Client;
class PlayerDirectory;
class PlayerDiscovery;
class PlayingSchedule;
class PlaylistModel;
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
    // Whether players can register: another program may hold the hub port.
    bool isListening() const;

    // Every player found, in a steady order, for the list on screen.
    PlayerDirectory *directory() const { return m_directory; }
    // The videos of the active player's latest answer, for its screen.
    PlaylistModel *playlist() const { return m_playlist; }
    // Makes this player the active one and asks for its playlist: what
    // queryClient does for the first player of an address.
    void open(Client *client);

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
    void registerPlayer(const PlayerProtocol::RegistrationRecord &record);
    Client *clientFor(const PlayerProtocol::RegistrationRecord &record);
    void releaseUnreachableClients();

    // Registration links are served on a thread of their own: a scan that
    // a thousand players answer costs the GUI thread only their records.
    QThread m_discoveryThread;
    PlayerDiscovery *m_discovery;
    PlayerDirectory *m_directory;
    PlayingSchedule *m_playingSchedule = nullptr; // null when players are not asked
    PlaylistModel *m_playlist;
    QList<QObject *> m_clients;
    Client *m_activeClient = nullptr;
    Updater *m_updater;
    bool m_updateCheckStarted = false;

    // Every player object made so far and not yet released.
    QList<Client *> m_allClients;
    // The list as the scene last read it; its players stay alive.
    mutable QList<QObject *> m_lastReadClients;
};
