// What quintavo-cli was asked to do, as read from its command line, and the
// exit statuses it ends with.
#pragma once

#include "playerchoice.h"
#include "rememberedplayer.h"

#include <QHostAddress>
#include <QList>
#include <QVector>

#include <optional>

namespace ExitStatus {
inline constexpr int ok = 0;
// No answer in time, a wrong answer, or no port for players to register on.
inline constexpr int failed = 1;
inline constexpr int usage = 2;
inline constexpr int unknownPlayer = 3;
} // namespace ExitStatus

struct CliRequest
{
    enum class Command { List, Playlist, Play };

    Command command = Command::List;
    std::optional<PlayerChoice> player; // playlist and play
    quint16 index = 0; // play
    int waitMilliseconds = 2000; // for registrations after the scan
    int timeoutMilliseconds = 5000; // for a player's answer
    bool json = false;
    bool playing = false; // list: ask every player what it plays
    bool known = false; // list: the remembered players that did not answer too
    QList<QHostAddress> extraTargets;
    // The players the application remembers (list sends them the datagram).
    QVector<RememberedPlayer> remembered;
};
