#include "clioutput.h"

#include "entrylabel.h"

#include "jsontext.h"
#include "terminaltext.h"

#include <utility>

namespace CliOutput {

namespace {

QByteArray line(const QStringList &fields)
{
    return fields.join(QLatin1Char('\t')).toUtf8() + '\n';
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

// What the player of row i said it plays, as its index and label.
std::optional<std::pair<int, QString>> playingOf(const PlayingAnswers &playing, int i)
{
    const std::optional<PlayerAnswer::Playing> said = playing.value(i);
    const auto label = said ? playingLabel(*said) : std::nullopt;
    if (!label)
        return std::nullopt;
    return std::make_pair(said->activeIndex, *label);
}

} // namespace

std::optional<QString> playingLabel(const PlayerAnswer::Playing &playing)
{
    if (playing.activeIndex == PlayerAnswer::noEntry)
        return std::nullopt;
    return EntryLabel::text(playing.activeIndex, playing.description.value_or(QString()));
}

QByteArray playerLines(const QList<FoundPlayer> &players, const PlayingAnswers *playing,
                       const Sightings *seen)
{
    QByteArray text;
    for (int i = 0; i < players.size(); ++i) {
        const FoundPlayer &player = players.at(i);
        QStringList fields {TerminalText::escaped(player.name),
                            TerminalText::escaped(player.address), QString::number(player.port)};
        if (playing) {
            const auto entry = playingOf(*playing, i);
            fields.append(entry ? QString::number(entry->first) + QLatin1Char(' ')
                                  + TerminalText::escaped(entry->second)
                                : QString());
        }
        if (seen) {
            const Sighting sighting = seen->value(i);
            fields.append(sighting.answering
                              ? QStringLiteral("answering")
                              : QStringLiteral("last seen ") + timeText(sighting.lastSeen));
        }
        text += line(fields);
    }
    return text;
}

QByteArray playersJson(const QList<FoundPlayer> &players, const PlayingAnswers *playing,
                       const Sightings *seen)
{
    // Written by hand to keep the members in this order.
    QByteArray text("[");
    for (int i = 0; i < players.size(); ++i) {
        const FoundPlayer &player = players.at(i);
        if (text.size() > 1)
            text += ',';
        text += "{\"name\":" + JsonText::quoted(player.name) + ",\"address\":"
            + JsonText::quoted(player.address) + ",\"port\":" + QByteArray::number(player.port);
        if (seen) {
            const Sighting sighting = seen->value(i);
            text += QByteArray(",\"answering\":") + (sighting.answering ? "true" : "false")
                + ",\"lastSeen\":"
                + (sighting.lastSeen.isValid() ? JsonText::quoted(timeText(sighting.lastSeen))
                                               : QByteArray("null"));
        }
        if (playing) {
            const auto entry = playingOf(*playing, i);
            text += ",\"playingIndex\":" + (entry ? QByteArray::number(entry->first) : "null")
                + ",\"playing\":" + (entry ? JsonText::quoted(entry->second) : "null");
        }
        text += '}';
    }
    return text + "]\n";
}

QByteArray playlistLines(const PlayerAnswer &answer)
{
    const auto entry = [&](int index, const QString &description, const QString &duration) {
        QStringList fields {QString::number(index), TerminalText::escaped(description), duration};
        if (answer.activeIndex == index)
            fields.append(QStringLiteral("*"));
        return line(fields);
    };

    QByteArray text = entry(0, EntryLabel::text(0), QStringLiteral("-"));
    for (int i = 0; i < answer.entries.size(); ++i) {
        const PlayerAnswer::Entry &video = answer.entries.at(i);
        text += entry(i + 1, EntryLabel::text(i + 1, video.description), duration(video.duration));
    }
    return text;
}

QByteArray answerJson(const QJsonObject &answer)
{
    return JsonText::write(answer) + '\n';
}

QString duration(const std::optional<PlayerAnswer::Duration> &duration)
{
    if (!duration)
        return QStringLiteral("-");
    return QStringLiteral("%1:%2")
        .arg(duration->minutes)
        .arg(duration->seconds, 2, 10, QLatin1Char('0'));
}

QString playerText(const FoundPlayer &player)
{
    if (player.name.isEmpty())
        return QStringLiteral("%1:%2").arg(player.address, QString::number(player.port));
    // One arg() call: a name may itself hold "%1".
    return QStringLiteral("%1 (%2:%3)")
        .arg(TerminalText::escaped(player.name), TerminalText::escaped(player.address),
             QString::number(player.port));
}

std::optional<QString> switchError(const Played &played, const std::optional<QString> &video)
{
    if (!played.outcome)
        return QStringLiteral("no player \"%1\" answered the scan")
            .arg(TerminalText::escaped(played.player.name));
    const SwitchOutcome &outcome = *played.outcome;
    const QString player = playerText(played.player);
    if (!outcome.reason.isEmpty())
        return player + QLatin1Char(' ') + outcome.reason;
    const QString index = QString::number(outcome.index.value_or(0));
    switch (outcome.kind) {
    case SwitchOutcome::Kind::Switched:
        return std::nullopt;
    case SwitchOutcome::Kind::NoSuchVideo:
        return QStringLiteral("%1 has no video \"%2\"")
            .arg(player, TerminalText::escaped(video.value_or(QString())));
    case SwitchOutcome::Kind::PlaysAnother:
        if (!outcome.playing || outcome.playing->activeIndex == PlayerAnswer::noEntry)
            return QStringLiteral("%1 names no entry it plays, not %2").arg(player, index);
        return QStringLiteral("%1 plays entry %2, not %3")
            .arg(player, QString::number(outcome.playing->activeIndex), index);
    case SwitchOutcome::Kind::NotAnswering:
    case SwitchOutcome::Kind::Unreachable:
    case SwitchOutcome::Kind::Unclear:
        break;
    }
    return withoutActiveIndex(player);
}

QString withoutActiveIndex(const QString &player)
{
    return QStringLiteral("%1 sent an answer without an activeIndex").arg(player);
}

QByteArray playedJson(const QList<Played> &played)
{
    const auto number = [](const std::optional<int> &value) {
        return value ? QByteArray::number(*value) : QByteArray("null");
    };
    QByteArray text("[");
    for (const Played &one : played) {
        if (text.size() > 1)
            text += ',';
        const FoundPlayer &player = one.player;
        const bool found = one.outcome.has_value();
        text += "{\"name\":" + (one.direct ? "null" : JsonText::quoted(player.name))
            + ",\"address\":" + (found ? JsonText::quoted(player.address) : "null")
            + ",\"port\":" + (found ? QByteArray::number(player.port) : "null");
        if (!found) {
            text += ",\"outcome\":\"not found\",\"index\":null,\"playingIndex\":null,"
                    "\"playing\":null}";
            continue;
        }
        const SwitchOutcome &outcome = *one.outcome;
        const auto label = outcome.playing ? playingLabel(*outcome.playing) : std::nullopt;
        text += ",\"outcome\":" + JsonText::quoted(SwitchOutcome::kindName(outcome.kind))
            + ",\"index\":" + number(outcome.index) + ",\"playingIndex\":"
            + number(label ? std::optional<int>(outcome.playing->activeIndex) : std::nullopt)
            + ",\"playing\":" + (label ? JsonText::quoted(*label) : "null") + '}';
    }
    return text + "]\n";
}

QByteArray groupLines(const QList<PlayerGroups::Group> &groups)
{
    QByteArray text;
    for (const PlayerGroups::Group &group : groups) {
        QStringList fields {TerminalText::escaped(group.name)};
        for (const QString &member : group.members)
            fields.append(TerminalText::escaped(member));
        text += line(fields);
    }
    return text;
}

QByteArray groupsJson(const QList<PlayerGroups::Group> &groups)
{
    QByteArray text("[");
    for (const PlayerGroups::Group &group : groups) {
        if (text.size() > 1)
            text += ',';
        text += "{\"name\":" + JsonText::quoted(group.name) + ",\"members\":[";
        for (int i = 0; i < group.members.size(); ++i)
            text += (i ? "," : "") + JsonText::quoted(group.members.at(i));
        text += "]}";
    }
    return text + "]\n";
}

} // namespace CliOutput
