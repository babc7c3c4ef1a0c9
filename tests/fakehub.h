// A stand-in for the hub in scene tests: the same script surface as
// NetworkMessenger, with the same directory of players, its filter, the play
// on the selected players, the groups and the playlist model beside it, and
// real players that are never asked anything, besides scripted players on
// loopback for Play. It records what the scene asks of it; tests emit its
// signals and use the extra invokables.
#pragma once

#include "client.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantList>

class GroupList;
class NowPlaying;
class PlayerDirectory;
class PlayerFilter;
class PlaylistModel;
class ScriptedPlayer;
class SelectionPlay;

class FakeHub : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<QObject *> clients READ clients NOTIFY clientsUpdated)
    Q_PROPERTY(QObject *activeClient READ activeClient NOTIFY activeClientChanged)
    // What the scene called, for the tests.
    Q_PROPERTY(int scanCount MEMBER m_scanCount NOTIFY called)
    Q_PROPERTY(QStringList queried MEMBER m_queried NOTIFY called)
    Q_PROPERTY(QVariantList switched MEMBER m_switched NOTIFY called)

public:
    explicit FakeHub(QObject *parent = nullptr);

    QList<QObject *> clients() const;
    QObject *activeClient() const { return m_activeClient; }
    PlayerDirectory *directory() const { return m_directory; }
    PlayerFilter *filter() const { return m_filter; }
    SelectionPlay *selectionPlay() const { return m_selectionPlay; }
    GroupList *groups() const { return m_groups; }
    PlaylistModel *playlist() const { return m_playlist; }

    Q_INVOKABLE void scanForClients();
    Q_INVOKABLE void queryClient(QString ipAddress);
    Q_INVOKABLE void quintavo(ushort index);

    // Test controls. A registration announces the grown list, as the hub
    // does; a player registering again after a scan keeps its object.
    Q_INVOKABLE void addPlayer(const QString &hostname, const QString &ipaddress, int port = 7000);
    // The player at that address and port said what it plays.
    Q_INVOKABLE void playerAnswered(const QString &ipaddress, const QJsonObject &answer,
                                    int port = 7000);
    // The verdict of the latest scan's round: who did not register since is
    // not answering.
    Q_INVOKABLE void verdict();
    // A player remembered from an earlier run, last seen at that time (ISO
    // 8601), playing that entry.
    Q_INVOKABLE void remember(const QString &hostname, const QString &ipaddress,
                              const QString &lastSeen, int playingIndex = -1,
                              const QString &playing = QString());
    // A player on loopback, listed as answering, whose playlist holds videos
    // of these descriptions; it answers a switch with the index it was told,
    // or never (mute).
    Q_INVOKABLE void addScriptedPlayer(const QString &hostname, const QStringList &descriptions,
                                       bool mute = false);
    // Forgets every player, the call records and the active player.
    Q_INVOKABLE void reset();
    // The first and last rows the scene told the list it shows (-1, -1: none).
    Q_INVOKABLE QVariantList rowsInView() const;
    // The selected players whose playlists Play still waits for.
    Q_INVOKABLE int waitingForPlaylists() const;

signals:
    void clientsUpdated();
    void activeClientChanged(QJsonObject json);
    void newUpdate(QString version, QString description, QString url, bool showMessage);
    void called();

private:
    void open(Client *client);

    QList<QPointer<Client>> m_clients;
    QPointer<Client> m_activeClient;
    PlayerDirectory *m_directory;
    PlayerFilter *m_filter;
    NowPlaying *m_nowPlaying;
    SelectionPlay *m_selectionPlay;
    GroupList *m_groups;
    PlaylistModel *m_playlist;
    QList<ScriptedPlayer *> m_scripted;
    int m_scanCount = 0;
    int m_scan = 0; // the directory's latest
    QStringList m_queried;
    QVariantList m_switched;
};
