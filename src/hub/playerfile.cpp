#include "playerfile.h"

#include "jsonkeys.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace PlayerFile {

namespace {

const QString versionKey = QStringLiteral("version");
const QString playersKey = QStringLiteral("players");
const QString hostNameKey = QStringLiteral("hostName");
const QString addressKey = QStringLiteral("address");
const QString portKey = QStringLiteral("port");
const QString firstSeenKey = QStringLiteral("firstSeen");
const QString lastSeenKey = QStringLiteral("lastSeen");
const QString playingKey = QStringLiteral("playing");
const QString indexKey = QStringLiteral("index");
const QString descriptionKey = QStringLiteral("description");

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

// A whole number from low to high, or nothing.
std::optional<int> whole(const QJsonValue &value, int low, int high)
{
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || !(number >= low && number <= high) || number != std::floor(number))
        return std::nullopt;
    return static_cast<int>(number);
}

std::optional<QDateTime> time(const QJsonValue &value)
{
    const QDateTime parsed = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!value.isString() || !parsed.isValid())
        return std::nullopt;
    return parsed.toUTC();
}

std::optional<RememberedPlayer> player(const QJsonValue &value, QString *why)
{
    const QJsonObject object = value.toObject();
    RememberedPlayer player;
    const QJsonValue name = object.value(hostNameKey);
    player.hostName = name.toString();
    if (!name.isString() || player.hostName.size() > maximumHostName) {
        *why = QStringLiteral("a host name is missing or longer than %1 characters")
                   .arg(maximumHostName);
        return std::nullopt;
    }
    const QHostAddress address(object.value(addressKey).toString());
    if (address.isNull()) {
        *why = QStringLiteral("an address is missing or not an IP address");
        return std::nullopt;
    }
    player.address = address.toString();
    const auto port = whole(object.value(portKey), 1, 65535);
    const auto firstSeen = time(object.value(firstSeenKey));
    const auto lastSeen = time(object.value(lastSeenKey));
    if (!port || !firstSeen || !lastSeen) {
        *why = QStringLiteral("a port or a time is missing or out of range");
        return std::nullopt;
    }
    player.port = static_cast<quint16>(*port);
    player.firstSeen = *firstSeen;
    player.lastSeen = *lastSeen;
    const QJsonValue playing = object.value(playingKey);
    if (playing.isUndefined())
        return player;
    const auto index = whole(playing.toObject().value(indexKey), 0, 65535);
    const QJsonValue description = playing.toObject().value(descriptionKey);
    if (!index || !description.isString() || description.toString().size() > maximumDescription) {
        *why = QStringLiteral("an entry played is not an index with a description");
        return std::nullopt;
    }
    player.playingIndex = *index;
    player.playing = description.toString();
    return player;
}

} // namespace

QByteArray encode(const QVector<RememberedPlayer> &players)
{
    QJsonArray list;
    for (const RememberedPlayer &player : players) {
        QJsonObject object {{hostNameKey, player.hostName.left(maximumHostName)},
                            {addressKey, player.address},
                            {portKey, player.port},
                            {firstSeenKey, timeText(player.firstSeen)},
                            {lastSeenKey, timeText(player.lastSeen)}};
        if (player.playingIndex >= 0)
            object.insert(playingKey,
                          QJsonObject {{indexKey, player.playingIndex},
                                       {descriptionKey, player.playing.left(maximumDescription)}});
        list.append(object);
    }
    return QJsonDocument(QJsonObject {{versionKey, version}, {playersKey, list}}).toJson();
}

std::optional<QVector<RememberedPlayer>> decode(const QByteArray &bytes, QString *why)
{
    if (bytes.size() > maximumSize) {
        *why = QStringLiteral("it is larger than %1 bytes").arg(maximumSize);
        return std::nullopt;
    }
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (JsonKeys::hasDuplicates(bytes) || error.error != QJsonParseError::NoError
        || !document.isObject()) {
        *why = QStringLiteral("it is not a JSON object");
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    const QJsonValue fileVersion = root.value(versionKey);
    if (whole(fileVersion, version, version) != version) {
        *why = QStringLiteral("its version is %1, not %2")
                   .arg(fileVersion.isDouble() ? QString::number(fileVersion.toDouble())
                                               : QStringLiteral("missing"))
                   .arg(version);
        return std::nullopt;
    }
    const QJsonValue list = root.value(playersKey);
    if (!list.isArray()) {
        *why = QStringLiteral("it has no list of players");
        return std::nullopt;
    }
    QVector<RememberedPlayer> players;
    const QJsonArray array = list.toArray();
    players.reserve(array.size());
    for (const QJsonValue &value : array) {
        auto read = player(value, why);
        if (!read)
            return std::nullopt;
        players.append(std::move(*read));
    }
    return players;
}

} // namespace PlayerFile
