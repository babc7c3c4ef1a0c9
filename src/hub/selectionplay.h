// Play one entry on every selected player. gather() takes the players
// selected then and asks each for its playlist once, through the list's own
// NowPlaying (its pace and its cap of links, never the player screen's
// link); the entries they share fill in as the playlists come. play() sends
// each player the switch to its own index of the entry chosen (0 for
// "Default", which needs no playlist), all at once through ParallelSwitch: a
// player whose playlist has not come yet is switched when it comes. Each row
// shows "switching", then what came of it, and the players' answers decide.
// Once every player is done, the sum line's figures are here.
#pragma once

#include "nowplaying.h"
#include "playeranswer.h"
#include "switchoutcome.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

#include <optional>

class ParallelSwitch;
class PlayerDirectory;
class SharedVideos;

class SelectionPlay : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *entries READ entries CONSTANT)
    // Playlists still to come.
    // The latest round: its players, how many have switched, whether every
    // one is done, and the players that did not switch, in the list's order,
    // as {name, outcome} (outcome as SwitchOutcome::kindName gives it).
    Q_PROPERTY(int total READ total NOTIFY progressChanged)
    Q_PROPERTY(int switched READ switchedCount NOTIFY progressChanged)
    Q_PROPERTY(bool done READ isDone NOTIFY progressChanged)
    Q_PROPERTY(QVariantList failures READ failures NOTIFY progressChanged)

public:
    // Asks playlists through nowPlaying, shared with the list's rows.
    SelectionPlay(PlayerDirectory *directory, NowPlaying *nowPlaying, QObject *parent = nullptr);
    ~SelectionPlay() override;

    // How long each player may take to answer its switch.
    void setDeadline(int milliseconds) { m_deadline = milliseconds; }

    QObject *entries() const;
    SharedVideos *sharedVideos() const { return m_entries; }
    int waiting() const;
    int total() const { return m_round ? int(m_members.size()) : 0; }
    int switchedCount() const;
    bool isDone() const;
    QVariantList failures() const;

    // The selected players' playlists are asked for, and the entries start
    // afresh.
    Q_INVOKABLE void gather();
    // Every player gathered to the entry at that row of entries.
    Q_INVOKABLE void play(int entry);
    // The round's outcomes go, from the rows too (the selection was cleared).
    Q_INVOKABLE void dismiss();

signals:
    void progressChanged();

private:
    struct Member
    {
        PlayerAddress player;
        QString name;
        std::optional<PlayerAnswer> playlist;
        bool unanswered = false; // its playlist did not come
        bool pending = false; // chosen, waiting for its playlist
        std::optional<SwitchOutcome> outcome;
    };

    int memberOf(const PlayerAddress &player) const;
    void playlistCame(const PlayerAddress &player, const QJsonObject &answer);
    void playlistFailed(const PlayerAddress &player);
    // The member's switch, now that what it can be told is known.
    void decide(int member);
    void startSwitches(const QList<int> &members, const QList<quint16> &indexes);
    void report(int member, const SwitchOutcome &outcome);
    void abortSwitches();

    PlayerDirectory *m_directory;
    NowPlaying *m_nowPlaying;
    SharedVideos *m_entries;
    QList<Member> m_members;
    int m_deadline = NowPlaying::defaultDeadline;
    bool m_round = false; // play() was called for these members
    QString m_description; // of the round
    QList<QPointer<ParallelSwitch>> m_switches;
};
