// What a player's answer says, read once for every view that shows it: the
// entry the player plays and, for each video of its playlist, the description,
// the duration and whether the player has it. The answer comes from the network,
// so every member may be missing or of any type; this is the one place that
// decides what such an answer means.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVector>

#include <optional>

struct PlayerAnswer
{
    // activeIndex when the answer names no entry the player could be switched to.
    static constexpr int noEntry = -1;
    // Selection indices are 16-bit: videos past this one cannot be chosen, and
    // are not read.
    static constexpr int maximumEntries = 65535;

    // A length in whole seconds, split into minutes and the seconds left over
    // (0 to 59).
    struct Duration
    {
        int minutes = 0;
        int seconds = 0;
    };

    struct Entry
    {
        QString description; // as sent; empty when missing or not a string
        std::optional<Duration> duration; // nothing when unknown
        bool exists = false; // only a JSON true makes it true
    };

    // The selection index the player plays: 0 the default video, k the k-th
    // entry (which may be past the list; the player said so), or noEntry.
    int activeIndex = noEntry;
    QVector<Entry> entries;

    // Reads an answer as the hub relays it. Nothing (no answer at all) unless
    // "activeIndex" is a finite number, so an answer that does not say what
    // plays leaves the screen as it is. A finite "activeIndex" that is not a
    // selection index (a fraction, a negative number, one past 65535) names no
    // entry: the playlist is still shown, with nothing marked as playing.
    // "quintavo" that is not an array gives no entries; an element that is not
    // an object gives an entry with no description, an unknown duration, and
    // that does not exist.
    static std::optional<PlayerAnswer> read(const QJsonObject &answer);

    // A "duration" in seconds, rounded once to whole seconds and then split, so
    // 119.6 s is 2 min 0 s. Unknown for anything but a number, for negative or
    // non-finite ones, and for more whole seconds than an int holds (68 years).
    static std::optional<Duration> duration(const QJsonValue &seconds);

    // The description of the entry the player plays, as sent (empty when it
    // sent none; callers label that one by its index). Nothing while it plays
    // the default video (callers label it "Default"), no entry, or an entry past
    // the list.
    std::optional<QString> playingDescription() const;

    // The name of the default video wherever an entry is named by its
    // description (quintavo-cli play --video, the window's Play list).
    static constexpr char defaultDescription[] = "Default";

    // The selection index this player gets for an entry named by its
    // description: 0 for "Default", otherwise the first entry whose description
    // is exactly that text (case, blanks and all). Nothing when no entry has
    // it; an entry without a description is named by no text, so an empty
    // text names none.
    std::optional<quint16> indexFor(const QString &description) const;

    // What an answer says plays, for those that show only that (a row of the
    // list, quintavo-cli list --playing): read() gives the same, but reads every
    // video of a playlist that may hold thousands.
    struct Playing
    {
        int activeIndex = noEntry;
        std::optional<QString> description; // as playingDescription() gives it
    };
    static std::optional<Playing> readPlaying(const QJsonObject &answer);
};

bool operator==(const PlayerAnswer::Duration &a, const PlayerAnswer::Duration &b);
bool operator!=(const PlayerAnswer::Duration &a, const PlayerAnswer::Duration &b);
bool operator==(const PlayerAnswer::Entry &a, const PlayerAnswer::Entry &b);
bool operator!=(const PlayerAnswer::Entry &a, const PlayerAnswer::Entry &b);
