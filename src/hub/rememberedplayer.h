// A player the application remembers from one run to the next: what its
// registration named (host name, address, command port), when it was first
// and last seen (UTC), and the last entry it was known to play.
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>
#include <QtGlobal>

struct RememberedPlayer
{
    QString hostName;
    QString address; // the canonical text of an IP address
    quint16 port = 0;
    QDateTime firstSeen;
    QDateTime lastSeen;
    // The selection index it was last known to play, -1 for none, and that
    // entry's description as it sent it.
    int playingIndex = -1;
    QString playing;

    bool operator==(const RememberedPlayer &other) const
    {
        return hostName == other.hostName && address == other.address && port == other.port
            && firstSeen == other.firstSeen && lastSeen == other.lastSeen
            && playingIndex == other.playingIndex && playing == other.playing;
    }
};

Q_DECLARE_METATYPE(QVector<RememberedPlayer>)
