#include "playlist.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

const QString videosKey = QStringLiteral("quintavo");
const QString activeIndexKey = QStringLiteral("activeIndex");

QJsonObject video(const QString &description, int duration, bool exists = true)
{
    return QJsonObject {
        {QStringLiteral("description"), description},
        {QStringLiteral("duration"), duration},
        {QStringLiteral("exists"), exists},
    };
}

} // namespace

Playlist Playlist::demo()
{
    // A lobby screen's loop; the non-ASCII texts keep the UTF-8 path honest, and
    // one video is missing on the player as happens after a failed copy.
    const QJsonArray videos {
        video(QStringLiteral("Welcome to Halvorn Hall"), 95),
        video(QStringLiteral("Spring exhibition: Nordic light"), 312),
        video(QStringLiteral("Safety briefing for visitors"), 148),
        video(QStringLiteral("Café Fjellro – menu of the week"), 45),
        video(QStringLiteral("Architecture tour of the east wing"), 610),
        video(QStringLiteral("Concert highlights: Bergen String Quartet"), 1825),
        video(QStringLiteral("Children’s workshop: paper boats"), 420, false),
        video(QStringLiteral("Opening hours and directions"), 30),
    };
    return Playlist(QJsonObject {{videosKey, videos}});
}

std::optional<Playlist> Playlist::fromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not JSON: %1 at offset %2")
                     .arg(parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    if (document.isArray())
        return Playlist(QJsonObject {{videosKey, document.array()}});

    QJsonObject object = document.object();
    if (!object.value(videosKey).isArray()) {
        *error = QStringLiteral("the object has no \"quintavo\" array");
        return std::nullopt;
    }
    std::optional<int> active;
    if (object.value(activeIndexKey).isDouble())
        active = object.value(activeIndexKey).toInt();
    object.remove(activeIndexKey);
    Playlist playlist(object);
    playlist.m_activeIndex = active;
    return playlist;
}

std::optional<Playlist> Playlist::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > maximumFileSize) {
        *error = QStringLiteral("larger than %1 bytes").arg(maximumFileSize);
        return std::nullopt;
    }
    return fromJson(file.read(maximumFileSize), error);
}

int Playlist::videoCount() const
{
    return m_object.value(videosKey).toArray().size();
}

QJsonObject Playlist::reply(int activeIndex) const
{
    QJsonObject object = m_object;
    object.insert(activeIndexKey, activeIndex);
    return object;
}
