// One HTTP/1.1 connection to the update service stand-in: gathers the request
// head under a size cap and a deadline, hands the request line on, writes the
// one response and closes. Bodies of requests are not read.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

class HttpExchange : public QObject
{
    Q_OBJECT

public:
    // A request head larger than this is refused (431).
    static constexpr int maximumHeadSize = 8 * 1024;
    // A connection that has not sent its whole head by then is closed.
    static constexpr int requestDeadline = 10000;
    // Largest chunk of a chunked body.
    static constexpr int chunkSize = 64 * 1024;

    // How the end of a response body is told: by its length, by chunks (the
    // length of each ahead of it), or by closing the connection.
    enum class Framing { Length, Chunked, Close };

    explicit HttpExchange(QTcpSocket *socket, QObject *parent = nullptr);
    ~HttpExchange() override;

    // Writes the response with Connection: close and closes once it is sent.
    void respond(int status, const QByteArray &contentType, const QByteArray &body,
                 const QByteArray &extraHeaders = {}, Framing framing = Framing::Length);

    static QByteArray reasonPhrase(int status);

signals:
    void requested(const QString &method, const QString &target);
    void logged(const QString &line);
    // The connection is gone; the service may delete this object.
    void finished();

private:
    void readHead();
    void timedOut();
    void close();

    QTcpSocket *m_socket;
    QTimer *m_deadline;
    QByteArray m_head;
    bool m_responded = false;
    bool m_finished = false;
};
