#include "testhttpserver.h"

#include <QTcpSocket>

TestHttpServer::TestHttpServer(int status, QByteArray body)
    : m_status(status), m_body(std::move(body))
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void TestHttpServer::answer(QTcpSocket *socket)
{
    // The request is gathered on the socket until its blank line has come.
    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (request.contains("\r\n\r\n")) {
        m_requestLines.append(request.left(request.indexOf("\r\n")));
        const QByteArray reason = m_status == 200 ? "OK" : "Not Found";
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) + ' ' + reason
                      + "\r\nContent-Type: application/json\r\nContent-Length: "
                      + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n"
                      + m_body);
        socket->disconnectFromHost();
    }
}
