// Where a scan sends its discovery datagram: the IPv4 broadcast address of every
// network the machine is on.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QStringList>

namespace BroadcastTargets {

// One network interface as far as the choice depends on it.
struct Interface
{
    QNetworkInterface::InterfaceFlags flags;
    QList<QNetworkAddressEntry> entries;
};

// The distinct IPv4 broadcast addresses of the interfaces that are up and can
// broadcast, in the order the system lists interfaces and their entries. Entries
// with the address 127.0.0.1 are skipped; IPv6 entries have no broadcast address.
QList<QHostAddress> choose(const QList<Interface> &interfaces);

// The machine's interfaces as the system lists them.
QList<Interface> systemInterfaces();

// The IPv4 networks the machine is on, of interfaces that are up, as
// "ADDRESS/PREFIX" in a fixed order (127.0.0.1 left out): a cable, a Wi-Fi
// network or a VPN that comes or goes changes them.
QStringList networks(const QList<Interface> &interfaces);

} // namespace BroadcastTargets
