#include "broadcasttargets.h"

namespace BroadcastTargets {

QList<QHostAddress> choose(const QList<Interface> &interfaces)
{
    const QNetworkInterface::InterfaceFlags required
        = QNetworkInterface::IsUp | QNetworkInterface::CanBroadcast;
    QList<QHostAddress> targets;
    for (const Interface &interface : interfaces) {
        if ((interface.flags & required) != required)
            continue;
        for (const QNetworkAddressEntry &entry : interface.entries) {
            if (entry.ip() == QHostAddress(QHostAddress::LocalHost))
                continue;
            const QHostAddress broadcast = entry.broadcast();
            if (broadcast.protocol() == QAbstractSocket::IPv4Protocol
                && !targets.contains(broadcast))
                targets.append(broadcast);
        }
    }
    return targets;
}

QStringList networks(const QList<Interface> &interfaces)
{
    QStringList found;
    for (const Interface &interface : interfaces) {
        if (!(interface.flags & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : interface.entries) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol
                && entry.ip() != QHostAddress(QHostAddress::LocalHost))
                found.append(
                    QStringLiteral("%1/%2").arg(entry.ip().toString()).arg(entry.prefixLength()));
        }
    }
    found.sort();
    return found;
}

QList<Interface> systemInterfaces()
{
    QList<Interface> interfaces;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : all)
        interfaces.append({interface.flags(), interface.addressEntries()});
    return interfaces;
}

} // namespace BroadcastTargets
