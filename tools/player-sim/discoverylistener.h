// The UDP socket on the discovery port, shared by every simulated player of a
// process and, through address sharing, by several simulator processes on one
// machine. It only receives; the players check what it hears.
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

    bool bind(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const;

signals:
    void datagramReceived(const QByteArray &datagram, const QHostAddress &sender,
                          quint16 senderPort);

private:
    void readDatagrams();

    QUdpSocket *m_socket;
};
