// The UDP socket on the discovery port, shared by every simulated player of a
// process and, through address sharing, by several simulator processes on one
// machine; and, for players with an address of their own, a second socket on
// that address, where the datagrams sent to it arrive (a shared socket would
// hand each to one of the processes only, not necessarily theirs). It only
// receives; the players check what it hears.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QUdpSocket;

class DiscoveryListener : public QObject
{
    Q_OBJECT

public:
    // A discovery datagram is 9 bytes; anything longer is cut here.
    static constexpr int maximumDatagramSize = 512;

    explicit DiscoveryListener(QObject *parent = nullptr);
    ~DiscoveryListener() override;

    // Listens on the port of every address, and on the port of own, unless
    // that is any address.
    bool bind(const QHostAddress &own, quint16 port, QString *error);
    quint16 port() const;

signals:
    // direct: sent to an address of this machine, not to a broadcast address.
    void datagramReceived(const QByteArray &datagram, const QHostAddress &sender,
                          quint16 senderPort, const QHostAddress &destination, bool direct);

private:
    void readDatagrams(QUdpSocket *socket);

    QUdpSocket *m_shared;
    QUdpSocket *m_own;
    QHostAddress m_ownAddress; // null: the players have none of their own
    QList<QHostAddress> m_broadcastAddresses;
};
