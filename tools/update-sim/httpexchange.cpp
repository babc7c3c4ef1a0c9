#include "httpexchange.h"

#include <QTcpSocket>
#include <QTimer>

HttpExchange::HttpExchange(QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket), m_deadline(new QTimer(this))
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(maximumHeadSize);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &HttpExchange::timedOut);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpExchange::readHead);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpExchange::close);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HttpExchange::close);
    m_deadline->start(requestDeadline);
}

HttpExchange::~HttpExchange() = default;

QByteArray HttpExchange::reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

void HttpExchange::respond(int status, const QByteArray &contentType, const QByteArray &body,
                           const QByteArray &extraHeaders, Framing framing)
{
    if (m_responded || m_finished)
        return;
    m_responded = true;
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status)
        + "\r\nContent-Type: " + contentType + "\r\nConnection: close\r\n" + extraHeaders;
    switch (framing) {
    case Framing::Length:
        response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        break;
    case Framing::Chunked:
        response += "Transfer-Encoding: chunked\r\n\r\n";
        for (int at = 0; at < body.size(); at += chunkSize) {
            const QByteArray chunk = body.mid(at, chunkSize);
            response += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        response += "0\r\n\r\n";
        break;
    case Framing::Close:
        response += "\r\n" + body;
        break;
    }
    m_socket->write(response);
    // A client that does not read its answer must not hold the connection forever.
    m_deadline->start(requestDeadline);
    m_socket->disconnectFromHost();
}

void HttpExchange::readHead()
{
    if (m_responded) {
        // A request body, or a second request: neither is read.
        m_socket->readAll();
        return;
    }
    m_head.append(m_socket->read(maximumHeadSize + 1 - m_head.size()));
    int end = m_head.indexOf("\r\n\r\n");
    if (end < 0)
        end = m_head.indexOf("\n\n");
    if (end < 0) {
        if (m_head.size() > maximumHeadSize) {
            emit logged(QStringLiteral("update-sim request head over %1 bytes; refused")
                            .arg(maximumHeadSize));
            respond(431, "text/plain", "request head too large\n");
        }
        return;
    }
    m_deadline->stop();

    const QByteArray requestLine = m_head.left(m_head.indexOf('\n')).trimmed();
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !parts.at(2).startsWith("HTTP/1.")) {
        emit logged(QStringLiteral("update-sim bad request line %1")
                        .arg(QString::fromLatin1(requestLine.toHex())));
        respond(400, "text/plain", "bad request\n");
        return;
    }
    emit requested(QString::fromLatin1(parts.at(0)), QString::fromLatin1(parts.at(1)));
}

void HttpExchange::timedOut()
{
    emit logged(
        QStringLiteral("update-sim closed a connection stalled for %1 ms").arg(requestDeadline));
    m_socket->abort();
    close();
}

void HttpExchange::close()
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline->stop();
    emit finished();
}
