// What came of telling one player to switch to an entry, as the window's rows
// and quintavo-cli report it. The player's answer decides: a switch is done
// when the answer says the player plays that entry, whatever the link did.
#pragma once

#include "playeranswer.h"

#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <optional>

struct SwitchOutcome
{
    enum class Kind {
        Switched, // the answer says it plays the entry
        NoSuchVideo, // its playlist has no entry of that description
        NotAnswering, // no answer within the deadline, or the link closed without one
        Unreachable, // the connection was refused, or the player cannot be reached
        PlaysAnother, // the answer names another entry, or none
        Unclear, // the answer does not say what plays (no activeIndex, not JSON, too large)
    };

    Kind kind = Kind::NotAnswering;
    // The entry the player was told to play; nothing when it was not told
    // (no such video, or its playlist did not come).
    std::optional<quint16> index;
    // What its answer says it plays, when it says.
    std::optional<PlayerAnswer::Playing> playing;
    // What the link did, to follow the player's name ("refused the
    // connection"); empty when the player answered.
    QString reason;

    bool switched() const { return kind == Kind::Switched; }

    // The outcome of an answer to the switch to index.
    static SwitchOutcome fromAnswer(quint16 index, const QJsonObject &answer);

    // One word or two for the kind, as quintavo-cli's JSON gives it:
    // "switched", "no such video", "not answering", "unreachable",
    // "plays another", "unclear".
    static QString kindName(Kind kind);
};

// Outcomes cross queued connections and signal spies.
Q_DECLARE_METATYPE(SwitchOutcome)
