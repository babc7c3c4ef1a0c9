#include "switchoutcome.h"

SwitchOutcome SwitchOutcome::fromAnswer(quint16 index, const QJsonObject &answer)
{
    SwitchOutcome outcome;
    outcome.index = index;
    outcome.playing = PlayerAnswer::readPlaying(answer);
    if (!outcome.playing)
        outcome.kind = Kind::Unclear;
    else if (outcome.playing->activeIndex == index)
        outcome.kind = Kind::Switched;
    else
        outcome.kind = Kind::PlaysAnother;
    return outcome;
}

QString SwitchOutcome::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Switched:
        return QStringLiteral("switched");
    case Kind::NoSuchVideo:
        return QStringLiteral("no such video");
    case Kind::NotAnswering:
        return QStringLiteral("not answering");
    case Kind::Unreachable:
        return QStringLiteral("unreachable");
    case Kind::PlaysAnother:
        return QStringLiteral("plays another");
    case Kind::Unclear:
        break;
    }
    return QStringLiteral("unclear");
}
