// The command side of a scripted player for tests: listens on a free loopback
// port, keeps every command link it accepts and everything each link received,
// and answers with whatever bytes a test hands it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

class TestPlayer : public QObject
{
    Q_OBJECT

public:
    TestPlayer();

    quint16 port() const { return m_server.serverPort(); }
    int linkCount() const { return m_links.size(); }
    QTcpSocket *link(int index) const { return m_links.at(index); }
    // What link index received so far; empty while there is no such link yet.
    QByteArray received(int index) const { return m_received.value(index); }
    bool linkOpen(int index) const;

    void reply(int index, const QByteArray &bytes);

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_links;
    QList<QByteArray> m_received;
};
