#include "clioutput.h"

#include "jsontext.h"
#include "terminaltext.h"

namespace CliOutput {

namespace {

QByteArray line(const QStringList &fields)
{
    return fields.join(QLatin1Char('\t')).toUtf8() + '\n';
}

} // namespace

QByteArray playerLines(const QList<FoundPlayer> &players)
{
    QByteArray text;
    for (const FoundPlayer &player : players)
        text += line({TerminalText::escaped(player.name), TerminalText::escaped(player.address),
                      QString::number(player.port)});
    return text;
}

QByteArray playersJson(const QList<FoundPlayer> &players)
{
    // Written by hand to keep the members in this order.
    QByteArray text("[");
    for (const FoundPlayer &player : players) {
        if (text.size() > 1)
            text += ',';
        text += "{\"name\":" + JsonText::quoted(player.name)
            + ",\"address\":" + JsonText::quoted(player.address)
            + ",\"port\":" + QByteArray::number(player.port) + '}';
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

QByteArray playlistLines(const QJsonObject &answer)
{
    return playlistLines(PlayerAnswer::read(answer).value_or(PlayerAnswer()));
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
