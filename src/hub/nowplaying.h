// Asks players what they play now: a playlist request on a link of its own,
// never the link of the player the window has open, and the answer read with
// the one reader of a player's answer. At most maximumLinks requests run at
// once; the others wait their turn, each player at most once in the queue.
// The whole answer is handed over too, for those that need the playlist (the
// window's Play on the selected players), so that they share the pace and
// the cap of the list's requests.
#pragma once

#include "playeranswer.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <optional>

class PlayerExchange;

class NowPlaying : public QObject
{
    Q_OBJECT

public:
    // A player: its address text and command port.
    using Player = QPair<QString, quint16>;

    static constexpr int maximumLinks = 4;
    // How long a player may take to answer, connecting included.
    static constexpr int defaultDeadline = 5000;

    explicit NowPlaying(QObject *parent = nullptr);
    ~NowPlaying() override;

    void setDeadline(int milliseconds) { m_deadline = milliseconds; }

    // Asks the player, unless it is asked already or waits to be.
    void ask(const Player &player);
    // Forgets a player that waits; one being asked finishes.
    void forget(const Player &player);

signals:
    // The player answered, with this answer (just before answered()).
    void replied(const NowPlaying::Player &player, const QJsonObject &answer);
    // The player answered: what it plays, or nothing when its answer does
    // not say.
    void answered(const NowPlaying::Player &player,
                  const std::optional<PlayerAnswer::Playing> &playing);
    // The player did not answer: refused, gone, silent, or cut off.
    void unanswered(const NowPlaying::Player &player);

private:
    void startWaiting();
    void finish(const Player &player);

    QList<Player> m_waiting;
    QHash<Player, PlayerExchange *> m_running;
    int m_deadline = defaultDeadline;
};
