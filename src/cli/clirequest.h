// What quintavo-cli was asked to do, as read from its command line, and the
// exit statuses it ends with.
#pragma once

#include "commandoptions.h"
#include "playerchoice.h"
#include "rememberedplayer.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace ExitStatus {
// Done: with play, every player switched.
inline constexpr int ok = 0;
// A player that did not switch (no answer in time, refused, unreachable, no
// such video, a wrong answer), no port for players to register on, or a
// settings file that could not be written.
inline constexpr int failed = 1;
inline constexpr int usage = CommandOptions::usageError;
// A name that names nothing: no player of that name (a PLAYER, a group's
// member) answered the scan, no player at all did for --all, or no group has
// that name. The players that were found are switched all the same.
inline constexpr int unknownPlayer = 3;
} // namespace ExitStatus

struct CliRequest
{
    enum class Command { List, Playlist, Play, Groups };
    enum class GroupAction { List, Save, Rename, Delete };

    Command command = Command::List;
    std::optional<PlayerChoice> player; // playlist
    QList<PlayerChoice> players; // play, in the order given
    bool all = false; // play: also every player that answers the scan
    quint16 index = 0; // play
    std::optional<QString> video; // play: the entry's description instead of an index
    GroupAction groupAction = GroupAction::List; // groups
    QString groupName; // groups save, rename and delete
    QString newName; // groups rename
    QStringList members; // groups save
    int waitMilliseconds = 2000; // for registrations after the scan
    int timeoutMilliseconds = 5000; // for a player's answer
    bool json = false;
    bool playing = false; // list: ask every player what it plays
    bool known = false; // list: the remembered players that did not answer too
    QList<QHostAddress> extraTargets;
    // The players the application remembers (list sends them the datagram).
    QVector<RememberedPlayer> remembered;
};
