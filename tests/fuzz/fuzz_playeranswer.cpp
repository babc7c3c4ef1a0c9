// A player's answer as any player may send it: whatever the reply's text, the
// reading names a selection index or none, never more entries than the answer
// holds, and durations whose seconds stay under a minute.
#include "playeranswer.h"
#include "playerprotocol.h"

#include <QByteArray>
#include <QJsonArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QJsonObject object = PlayerProtocol::replyObject(reply);
    const auto answer = PlayerAnswer::read(object);
    if (!answer)
        return 0;
    if (answer->activeIndex < PlayerAnswer::noEntry || answer->activeIndex > 65535)
        abort();
    const QJsonValue list = object.value(QLatin1String("quintavo"));
    const int sent = list.isArray() ? list.toArray().size() : 0;
    if (answer->entries.size() != std::min(sent, PlayerAnswer::maximumEntries))
        abort();
    for (const PlayerAnswer::Entry &entry : answer->entries) {
        if (entry.duration
            && (entry.duration->minutes < 0 || entry.duration->seconds < 0
                || entry.duration->seconds > 59))
            abort();
    }
    const bool names = answer->activeIndex >= 1 && answer->activeIndex <= answer->entries.size();
    if (answer->playingDescription().has_value() != names)
        abort();
    // Read for a row alone, the answer says the same.
    const auto playing = PlayerAnswer::readPlaying(object);
    if (!playing || playing->activeIndex != answer->activeIndex
        || playing->description != answer->playingDescription())
        abort();
    return 0;
}
