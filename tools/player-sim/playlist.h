// What a simulated player plays: the reply object it answers commands with,
// minus "activeIndex", which belongs to the player. Comes from a JSON file
// (a whole reply object or just its "quintavo" array) or is the built-in demo.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <utility>

class Playlist
{
public:
    // Playlist files are small; anything bigger is a mistake, not a playlist.
    static constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

    static Playlist demo();
    static std::optional<Playlist> fromJson(const QByteArray &json, QString *error);
    static std::optional<Playlist> load(const QString &path, QString *error);

    int videoCount() const;
    // The "activeIndex" the file named, if it was a whole reply object.
    std::optional<int> activeIndex() const { return m_activeIndex; }

    // The reply object: every member of the playlist, with activeIndex set.
    QJsonObject reply(int activeIndex) const;

private:
    explicit Playlist(QJsonObject object) : m_object(std::move(object)) { }

    QJsonObject m_object;
    std::optional<int> m_activeIndex;
};
