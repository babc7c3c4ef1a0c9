#include "clioutput.h"

#include "jsontext.h"
#include "terminaltext.h"

#include <QJsonArray>

#include <cmath>

namespace CliOutput {

namespace {

// Longer than any video, short enough to stay exact in whole seconds.
constexpr double longestDuration = 1e12;

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

QByteArray playlistLines(const QJsonObject &answer)
{
    const QJsonValue active = answer.value(QLatin1String("activeIndex"));
    const auto entry = [&](int index, const QString &description, const QString &duration) {
        QStringList fields {QString::number(index), TerminalText::escaped(description), duration};
        if (active.isDouble() && active.toDouble() == index)
            fields.append(QStringLiteral("*"));
        return line(fields);
    };

    QByteArray text = entry(0, QStringLiteral("Default"), QStringLiteral("-"));
    const QJsonArray videos = answer.value(QLatin1String("quintavo")).toArray();
    for (int i = 0; i < videos.size(); ++i) {
        const QJsonObject video = videos.at(i).toObject();
        QString description = video.value(QLatin1String("description")).toString();
        // As the application labels it.
        if (description.isEmpty())
            description = QStringLiteral("Video %1").arg(i + 1);
        text += entry(i + 1, description, duration(video.value(QLatin1String("duration"))));
    }
    return text;
}

QByteArray answerJson(const QJsonObject &answer)
{
    return JsonText::write(answer) + '\n';
}

QString duration(const QJsonValue &seconds)
{
    const double value = seconds.toDouble(-1);
    if (!seconds.isDouble() || !(value >= 0 && value < longestDuration))
        return QStringLiteral("-");
    const qint64 total = std::llround(value);
    return QStringLiteral("%1:%2").arg(total / 60).arg(total % 60, 2, 10, QLatin1Char('0'));
}

} // namespace CliOutput
