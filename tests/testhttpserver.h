// A one-answer HTTP server on a free loopback port for tests of the update
// check: records each request line and answers with a fixed status and body.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    explicit TestHttpServer(int status = 200, QByteArray body = QByteArray());

    QUrl url(const QString &path) const;
    QList<QByteArray> requestLines() const { return m_requestLines; }

private:
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    int m_status;
    QByteArray m_body;
    QList<QByteArray> m_requestLines;
};
