#include "testplayer.h"

#include <QTcpSocket>

TestPlayer::TestPlayer()
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *link = m_server.nextPendingConnection()) {
            const int index = m_links.size();
            m_links.append(link);
            m_received.append(QByteArray());
            connect(link, &QTcpSocket::readyRead, this,
                    [this, index, link] { m_received[index] += link->readAll(); });
        }
    });
}

bool TestPlayer::linkOpen(int index) const
{
    return index < m_links.size() && m_links.at(index)->state() == QAbstractSocket::ConnectedState;
}

void TestPlayer::reply(int index, const QByteArray &bytes)
{
    m_links.at(index)->write(bytes);
    m_links.at(index)->flush();
}
