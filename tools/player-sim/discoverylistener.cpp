#include "discoverylistener.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

DiscoveryListener::DiscoveryListener(QObject *parent)
    : QObject(parent), m_shared(new QUdpSocket(this)), m_own(new QUdpSocket(this))
{
    connect(m_shared, &QUdpSocket::readyRead, this, [this] { readDatagrams(m_shared); });
    connect(m_own, &QUdpSocket::readyRead, this, [this] { readDatagrams(m_own); });
    m_broadcastAddresses.append(QHostAddress(QHostAddress::Broadcast));
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces)
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            if (!entry.broadcast().isNull())
                m_broadcastAddresses.append(entry.broadcast());
}

DiscoveryListener::~DiscoveryListener() = default;

bool DiscoveryListener::bind(const QHostAddress &own, quint16 port, QString *error)
{
    // Every process bound this way gets its own copy of each broadcast.
    const auto shared = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
    if (!m_shared->bind(QHostAddress::AnyIPv4, port, shared)) {
        *error = m_shared->errorString();
        return false;
    }
    if (own == QHostAddress(QHostAddress::AnyIPv4) || own == QHostAddress(QHostAddress::Any))
        return true;
    if (!m_own->bind(own, m_shared->localPort(), shared)) {
        *error = m_own->errorString();
        return false;
    }
    m_ownAddress = own;
    return true;
}

quint16 DiscoveryListener::port() const
{
    return m_shared->localPort();
}

void DiscoveryListener::readDatagrams(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram(maximumDatagramSize);
        if (!datagram.isValid())
            break;
        const QHostAddress destination = datagram.destinationAddress();
        const bool direct = !m_broadcastAddresses.contains(destination);
        // Sent to another simulator's address that no socket holds (it ended):
        // a player elsewhere would never see it.
        if (direct && !m_ownAddress.isNull() && destination != m_ownAddress)
            continue;
        emit datagramReceived(datagram.data(), datagram.senderAddress(),
                              static_cast<quint16>(datagram.senderPort()), destination, direct);
    }
}
