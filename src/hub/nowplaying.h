// Asks players what they play now: a playlist request on a link of its own,
// never the link of the player the window has open, and the answer read with
// the one reader of a player's answer. At most maximumLinks requests run at
// once; the others wait their turn, each player at most once in the queue.
// The whole answer is handed over too, for those that need the playlist (the
// window's Play on the selected players), so that they share the pace and
// the cap of the list's requests.
#pragma once

#include "playeraddress.h"
#include "playeranswer.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class PlayerExchange;

class NowPlaying : public QObject
{
    Q_OBJECT

public:
    // A player: its address text and command port.

    static constexpr int maximumLinks = 4;
    // How long a player may take to answer, connecting included.
    static constexpr int defaultDeadline = 5000;

    explicit NowPlaying(QObject *parent = nullptr);
    ~NowPlaying() override;

    void setDeadline(int milliseconds) { m_deadline = milliseconds; }

    // Asks the player, unless it is asked already or waits to be.
    void ask(const PlayerAddress &player);
    // Forgets a player that waits; one being asked finishes.
    void forget(const PlayerAddress &player);

signals:
    // The player answered, with this answer (just before answered()).
    void replied(const PlayerAddress &player, const QJsonObject &answer);
    // The player answered: what it plays, or nothing when its answer does
    // not say.
    void answered(const PlayerAddress &player, const std::optional<PlayerAnswer::Playing> &playing);
    // The player did not answer: refused, gone, silent, or cut off.
    void unanswered(const PlayerAddress &player);

private:
    void startWaiting();
    void finish(const PlayerAddress &player);

    QList<PlayerAddress> m_waiting;
    QHash<PlayerAddress, PlayerExchange *> m_running;
    int m_deadline = defaultDeadline;
};
