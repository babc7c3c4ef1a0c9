// What quintavo-cli prints: pure functions from what the players sent to the
// bytes on standard output (UTF-8, one record a line). Every text that came
// from a player is escaped for the terminal, and JSON is valid whatever the
// player sent.
#pragma once

#include "foundplayer.h"
#include "playeranswer.h"
#include "playergroups.h"
#include "switchoutcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QVector>

namespace CliOutput {

// What each player of a list said it plays, in the list's order: nothing for
// one that did not answer in time.
using PlayingAnswers = QVector<std::optional<PlayerAnswer::Playing>>;

// Whether each player of a list answered the scan, and when it was last seen
// (UTC): by this scan, or as the application remembers it.
struct Sighting
{
    bool answering = true;
    QDateTime lastSeen;
};
using Sightings = QVector<Sighting>;

// One line a player: host name, address and command port, tab-separated; with
// what each plays, a further field: the index and its description ("2 Evening
// loop", "0 Default", "3 Video 3" for one without), empty for a player that
// did not say; with presence, a last field: "answering", or "last seen" and
// the time in ISO 8601 (UTC).
QByteArray playerLines(const QList<FoundPlayer> &players, const PlayingAnswers *playing = nullptr,
                       const Sightings *seen = nullptr);

// One array of {"name", "address", "port"} objects; with sightings, also
// "answering" and "lastSeen" (ISO 8601, UTC); with what each plays, also
// "playingIndex" and "playing" (null for a player that did not say).
QByteArray playersJson(const QList<FoundPlayer> &players, const PlayingAnswers *playing = nullptr,
                       const Sightings *seen = nullptr);

// What the answer says plays, as the window labels it: "Default" for 0, the
// description, or "Video k"; nothing when it names no entry.
std::optional<QString> playingLabel(const PlayerAnswer::Playing &playing);

// One line an entry of a player's answer: the selection index (0 is
// "Default"), the description and the duration as M:SS, tab-separated, and
// a fourth field "*" on the entry that is playing.
QByteArray playlistLines(const PlayerAnswer &answer);

// The answer object as JSON.
QByteArray answerJson(const QJsonObject &answer);

// A duration as M:SS, the minutes and seconds the window shows; "-" when unknown.
QString duration(const std::optional<PlayerAnswer::Duration> &duration);

// A player as error lines name it, escaped for the terminal: "foyer
// (10.77.0.11:4321)", or "10.77.0.11:4321" for one given by address and port.
QString playerText(const FoundPlayer &player);

// What came of one player of play, in the order the players were named:
// a player and its outcome, or a name that no player answered (no outcome).
struct Played
{
    FoundPlayer player; // for a name not found, the name alone
    bool direct = false; // given as ADDRESS:PORT: its name is unknown
    std::optional<SwitchOutcome> outcome;
};

// The error line for a player that did not switch ("foyer (10.77.0.11:4321)
// plays entry 2, not 3"), without the program's name; nothing for one that
// switched. video: the description asked for, if any.
std::optional<QString> switchError(const Played &played, const std::optional<QString> &video);
// What is said of a player (as playerText names it) whose answer does not say
// what it plays.
QString withoutActiveIndex(const QString &player);

// One array of {"name", "address", "port", "outcome", "index", "playingIndex",
// "playing"}: outcome one of SwitchOutcome::kindName() or "not found"; index
// the entry it was told to play; playingIndex and playing what its answer
// says it plays, labelled as list --playing labels it. Unknown values are
// null (the name too, for a player given by address and port).
QByteArray playedJson(const QList<Played> &played);

// One line a group: its name, then its members, tab-separated.
QByteArray groupLines(const QList<PlayerGroups::Group> &groups);
// One array of {"name", "members": [...]}.
QByteArray groupsJson(const QList<PlayerGroups::Group> &groups);

} // namespace CliOutput
