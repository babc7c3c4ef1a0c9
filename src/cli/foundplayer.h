// A player as its registration named it: host name, address and command port.
#pragma once

#include "playeraddress.h"

#include <QString>
#include <QtGlobal>

struct FoundPlayer
{
    QString name;
    QString address;
    quint16 port = 0;

    PlayerAddress at() const { return {address, port}; }

    bool operator==(const FoundPlayer &other) const
    {
        return name == other.name && address == other.address && port == other.port;
    }
};
