#include "clioutput.h"

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
    if (playing.activeIndex == 0)
        return QStringLiteral("Default");
    const QString description = playing.description.value_or(QString());
    return description.isEmpty() ? QStringLiteral("Video %1").arg(playing.activeIndex)
                                 : description;
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

    QByteArray text = entry(0, QStringLiteral("Default"), QStringLiteral("-"));
    for (int i = 0; i < answer.entries.size(); ++i) {
        const PlayerAnswer::Entry &video = answer.entries.at(i);
        // As the application labels it.
        const QString description = video.description.isEmpty()
            ? QStringLiteral("Video %1").arg(i + 1)
            : video.description;
        text += entry(i + 1, description, duration(video.duration));
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

} // namespace CliOutput
