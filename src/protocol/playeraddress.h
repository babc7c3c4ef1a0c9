// Where a player takes commands: its address as text, as its registration or
// the user gave it, and its command port. Players are told apart, matched and
// kept in hashes by it.
#pragma once

#include <QHash>
#include <QMetaType>
#include <QString>

struct PlayerAddress
{
    PlayerAddress() = default;
    PlayerAddress(QString address, quint16 port) : address(std::move(address)), port(port) { }

    QString address;
    quint16 port = 0;

    friend bool operator==(const PlayerAddress &a, const PlayerAddress &b)
    {
        return a.port == b.port && a.address == b.address;
    }
    friend bool operator!=(const PlayerAddress &a, const PlayerAddress &b) { return !(a == b); }
};

inline uint qHash(const PlayerAddress &player, uint seed = 0)
{
    return qHash(player.address, seed) ^ (uint(player.port) * 0x9E3779B9u);
}

Q_DECLARE_METATYPE(PlayerAddress)
