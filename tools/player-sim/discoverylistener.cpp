#include "discoverylistener.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

DiscoveryListener::DiscoveryListener(QObject *parent)
    : QObject(parent), m_socket(new QUdpSocket(this))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &DiscoveryListener::readDatagrams);
}

DiscoveryListener::~DiscoveryListener() = default;

bool DiscoveryListener::bind(const QHostAddress &address, quint16 port, QString *error)
{
    // Every process bound this way gets its own copy of each broadcast.
    if (!m_socket->bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        *error = m_socket->errorString();
        return false;
    }
    return true;
}

quint16 DiscoveryListener::port() const
{
    return m_socket->localPort();
}

void DiscoveryListener::readDatagrams()
{
    while (m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(maximumDatagramSize);
        if (!datagram.isValid())
            break;
        emit datagramReceived(datagram.data(), datagram.senderAddress(),
                              static_cast<quint16>(datagram.senderPort()));
    }
}
