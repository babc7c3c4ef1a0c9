// Stand-in for the maker's update service: an HTTP/1.1 server that answers
// GET /qarn/update.php with a fixed JSON document (or any status chosen for a
// test) and every other path with 404. Each request line is reported through
// logged().
#pragma once

#include "httpexchange.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QTcpServer;

class UpdateService : public QObject
{
    Q_OBJECT

public:
    // Connections served at once; beyond this the oldest is dropped.
    static constexpr int maximumConnections = 64;
    static constexpr char path[] = "/qarn/update.php";

    // The offer of version 0.9.3 for Windows, with a message to show.
    static QByteArray defaultBody();

    explicit UpdateService(QObject *parent = nullptr);
    ~UpdateService() override;

    // The body and status of the answer on the update path. The body goes out
    // whatever the status, so that a failing status with a valid offer can be tried.
    void setBody(const QByteArray &body) { m_body = body; }
    void setStatus(int status) { m_status = status; }
    void setFraming(HttpExchange::Framing framing) { m_framing = framing; }

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const;

signals:
    void logged(const QString &line);

private:
    void accept();
    void answer(HttpExchange *exchange, const QString &method, const QString &target);

    QTcpServer *m_server;
    QByteArray m_body = defaultBody();
    int m_status = 200;
    HttpExchange::Framing m_framing = HttpExchange::Framing::Length;
    QList<HttpExchange *> m_exchanges;
};
