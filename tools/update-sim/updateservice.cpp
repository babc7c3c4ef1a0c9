#include "updateservice.h"

#include "httpexchange.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

QByteArray UpdateService::defaultBody()
{
    return QByteArrayLiteral(
        R"({"type":"update","update":{"platform":"windows","version":"0.9.3",)"
        R"("description":"<b>Quintavo 0.9.3</b> is available.<br/>Get it from )"
        R"(<a href=\"https://quintavo.example/download\">quintavo.example</a>.",)"
        R"("url":"https://quintavo.example/download","show_message":true}})");
}

UpdateService::UpdateService(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &UpdateService::accept);
}

UpdateService::~UpdateService() = default;

bool UpdateService::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (!m_server->listen(address, port)) {
        *error = m_server->errorString();
        return false;
    }
    return true;
}

quint16 UpdateService::port() const
{
    return m_server->serverPort();
}

void UpdateService::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_exchanges.size() >= maximumConnections) {
            emit logged(QStringLiteral("update-sim too many connections; dropping the oldest"));
            // Its finished() removes it from the list and deletes it later.
            HttpExchange *oldest = m_exchanges.takeFirst();
            oldest->deleteLater();
        }
        auto *exchange = new HttpExchange(socket, this);
        m_exchanges.append(exchange);
        connect(exchange, &HttpExchange::logged, this, &UpdateService::logged);
        connect(exchange, &HttpExchange::requested, this,
                [this, exchange](const QString &method, const QString &target) {
                    answer(exchange, method, target);
                });
        connect(exchange, &HttpExchange::finished, this, [this, exchange] {
            m_exchanges.removeOne(exchange);
            exchange->deleteLater();
        });
    }
}

void UpdateService::answer(HttpExchange *exchange, const QString &method, const QString &target)
{
    emit logged(QStringLiteral("update-sim %1 %2").arg(method, target));
    if (method != QLatin1String("GET")) {
        exchange->respond(405, "text/plain", "only GET\n", "Allow: GET\r\n");
        return;
    }
    if (QUrl(target).path() != QLatin1String(path)) {
        exchange->respond(404, "text/plain", "not found\n");
        return;
    }
    exchange->respond(m_status, "application/json", m_body, {}, m_framing);
}
