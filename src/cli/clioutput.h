// What quintavo-cli prints: pure functions from what the players sent to the
// bytes on standard output (UTF-8, one record a line). Every text that came
// from a player is escaped for the terminal, and JSON is valid whatever the
// player sent.
#pragma once

#include "foundplayer.h"
#include "playeranswer.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

namespace CliOutput {

// One line a player: host name, address and command port, tab-separated.
QByteArray playerLines(const QList<FoundPlayer> &players);

// One array of {"name", "address", "port"} objects.
QByteArray playersJson(const QList<FoundPlayer> &players);

// One line an entry of a player's answer: the selection index (0 is
// "Default"), the description and the duration as M:SS, tab-separated, and
// a fourth field "*" on the entry that is playing.
QByteArray playlistLines(const PlayerAnswer &answer);
// The same for an answer object; one that PlayerAnswer cannot read lists
// "Default" alone.
QByteArray playlistLines(const QJsonObject &answer);

// The answer object as JSON.
QByteArray answerJson(const QJsonObject &answer);

// A duration as M:SS, the minutes and seconds the window shows; "-" when unknown.
QString duration(const std::optional<PlayerAnswer::Duration> &duration);

} // namespace CliOutput
