// Switches several players at once and reports, for each, what came of it.
// Each command goes on a link of its own (PlayerExchange), never on the link
// of the player the window has open, and each answer is read by the one
// reader of a player's answer: a player counts as switched when its answer
// says it plays the entry. A player that does not answer holds up no other:
// every player has a deadline of its own.
//
// By description, each player's playlist is asked first, at most
// NowPlaying::maximumLinks at a time as the list asks, and each player gets
// the switch to its own index of that entry as soon as its playlist is in.
//
// One round per object: start it once, hear done() once for each player
// (position in the list given), then finished(). Owns no player list of its
// own, so the window and quintavo-cli can both drive it.
#pragma once

#include "nowplaying.h"
#include "switchoutcome.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class PlayerExchange;

class ParallelSwitch : public QObject
{
    Q_OBJECT

public:
    // Switch commands in flight at once; the rest wait for a free link. Far
    // more than a venue switches at once, and well within the sockets a
    // process may open.
    static constexpr int maximumSwitchLinks = 64;

    explicit ParallelSwitch(QList<PlayerAddress> players, QObject *parent = nullptr);
    ~ParallelSwitch() override;

    // How long each player may take to answer one command, connecting
    // included. Set before starting.
    void setDeadline(int milliseconds) { m_deadline = milliseconds; }

    QList<PlayerAddress> players() const { return m_players; }

    // Every player to the same selection index.
    void switchToIndex(quint16 index);
    // Each player to its own index, in the order of players(): for a caller
    // that has their playlists already.
    void switchEach(const QList<quint16> &indexes);
    // Every player to its own index of the entry with that description
    // (PlayerAnswer::indexFor); "Default" needs no playlist.
    void switchToVideo(const QString &description);
    // Ends every exchange at once; no signal follows.
    void abort();

signals:
    // The switch command to index goes out to the player at this position.
    void switching(int player, quint16 index);
    // What came of the player at this position; once for each.
    void done(int player, const SwitchOutcome &outcome);
    // Every player is done (on the next turn of the event loop for none).
    void finished();

private:
    bool begin();
    void askNext();
    void switchNext();
    void takePlaylist(int player, const QJsonObject &answer);
    void report(int player, const SwitchOutcome &outcome);
    // The outcome of an exchange that failed.
    static SwitchOutcome failed(const PlayerExchange *exchange, const QString &reason,
                                std::optional<quint16> index);
    PlayerExchange *exchange(int player, const QByteArray &command);

    QList<PlayerAddress> m_players;
    int m_deadline = NowPlaying::defaultDeadline;
    bool m_started = false;
    bool m_aborted = false;
    QString m_description;
    QList<int> m_toAsk; // positions whose playlist is still to be asked
    int m_asking = 0;
    QList<QPair<int, quint16>> m_toSwitch; // positions and their index, waiting for a link
    int m_switching = 0;
    int m_left = 0; // players not done yet
};
