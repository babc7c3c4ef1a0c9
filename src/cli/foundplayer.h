// A player as its registration named it: host name, address and command port.
#pragma once

#include <QString>
#include <QtGlobal>

struct FoundPlayer
{
    QString name;
    QString address;
    quint16 port = 0;

    bool operator==(const FoundPlayer &other) const
    {
        return name == other.name && address == other.address && port == other.port;
    }
};
