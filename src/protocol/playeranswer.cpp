#include "playeranswer.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int largestIndex = std::numeric_limits<quint16>::max();
// Whole seconds beyond this are no video's length; the limit keeps them in an int.
constexpr double longestDuration = std::numeric_limits<int>::max();

PlayerAnswer::Entry readEntry(const QJsonObject &video)
{
    PlayerAnswer::Entry entry;
    entry.description = video.value(QLatin1String("description")).toString();
    entry.duration = PlayerAnswer::duration(video.value(QLatin1String("duration")));
    entry.exists = video.value(QLatin1String("exists")).toBool(false);
    return entry;
}

// The selection index an answer names, noEntry for a finite number that is
// none, and nothing when the answer does not say what plays.
std::optional<int> activeIndexOf(const QJsonObject &answer)
{
    const QJsonValue active = answer.value(QLatin1String("activeIndex"));
    if (!active.isDouble() || !std::isfinite(active.toDouble()))
        return std::nullopt;
    const double index = active.toDouble();
    if (index >= 0 && index <= largestIndex && index == std::floor(index))
        return static_cast<int>(index);
    return PlayerAnswer::noEntry;
}

// The videos that are read: those a selection index can name.
int readableEntries(const QJsonArray &videos)
{
    return std::min(videos.size(), PlayerAnswer::maximumEntries);
}

} // namespace

std::optional<PlayerAnswer> PlayerAnswer::read(const QJsonObject &answer)
{
    const auto index = activeIndexOf(answer);
    if (!index)
        return std::nullopt;

    PlayerAnswer result;
    result.activeIndex = *index;
    const QJsonValue list = answer.value(QLatin1String("quintavo"));
    if (list.isArray()) {
        const QJsonArray videos = list.toArray();
        const int count = readableEntries(videos);
        result.entries.reserve(count);
        for (int i = 0; i < count; ++i)
            result.entries.append(readEntry(videos.at(i).toObject()));
    }
    return result;
}

std::optional<PlayerAnswer::Duration> PlayerAnswer::duration(const QJsonValue &seconds)
{
    if (!seconds.isDouble())
        return std::nullopt;
    const double value = seconds.toDouble();
    // Written so that NaN fails too. Rounded before the limit is checked, so
    // the limit holds for the whole seconds.
    if (!(value >= 0 && std::round(value) <= longestDuration))
        return std::nullopt;
    const auto whole = static_cast<int>(std::round(value));
    return Duration {whole / 60, whole % 60};
}

std::optional<QString> PlayerAnswer::playingDescription() const
{
    if (activeIndex < 1 || activeIndex > entries.size())
        return std::nullopt;
    return entries.at(activeIndex - 1).description;
}

std::optional<quint16> PlayerAnswer::indexFor(const QString &description) const
{
    if (description == QLatin1String(defaultDescription))
        return 0;
    if (description.isEmpty())
        return std::nullopt;
    // read() keeps no more entries than a selection index can name.
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).description == description)
            return static_cast<quint16>(i + 1);
    return std::nullopt;
}

std::optional<PlayerAnswer::Playing> PlayerAnswer::readPlaying(const QJsonObject &answer)
{
    const auto index = activeIndexOf(answer);
    if (!index)
        return std::nullopt;
    Playing playing;
    playing.activeIndex = *index;
    const QJsonArray videos = answer.value(QLatin1String("quintavo")).toArray();
    if (*index >= 1 && *index <= readableEntries(videos))
        playing.description = readEntry(videos.at(*index - 1).toObject()).description;
    return playing;
}

bool operator==(const PlayerAnswer::Duration &a, const PlayerAnswer::Duration &b)
{
    return a.minutes == b.minutes && a.seconds == b.seconds;
}

bool operator!=(const PlayerAnswer::Duration &a, const PlayerAnswer::Duration &b)
{
    return !(a == b);
}

bool operator==(const PlayerAnswer::Entry &a, const PlayerAnswer::Entry &b)
{
    return a.exists == b.exists && a.duration == b.duration && a.description == b.description;
}

bool operator!=(const PlayerAnswer::Entry &a, const PlayerAnswer::Entry &b)
{
    return !(a == b);
}
