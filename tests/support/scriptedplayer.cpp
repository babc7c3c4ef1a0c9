#include "scriptedplayer.h"

#include "playerprotocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

ScriptedPlayer::ScriptedPlayer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedPlayer::acceptCommandLinks);
}

QByteArray ScriptedPlayer::playlist(const QStringList &descriptions)
{
    QJsonArray videos;
    for (const QString &description : descriptions)
        videos.append(QJsonObject {{QStringLiteral("description"), description}});
    const QJsonObject answer {{QStringLiteral("activeIndex"), 0},
                              {QStringLiteral("quintavo"), videos}};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\0';
}

QByteArray ScriptedPlayer::record(const QString &name, const QString &address)
{
    return PlayerProtocol::encodeRegistrationRecord({commandPort(), address, name});
}

QTcpSocket *ScriptedPlayer::registerWith(quint16 hubPort, const QByteArray &record,
                                         const QHostAddress &hub)
{
    auto *link = new QTcpSocket(this);
    m_registrations.append(link);
    connect(link, &QTcpSocket::readyRead, this, [=] { readGreeting(link, record); });
    const auto closed = [this, link] {
        if (!m_registrations.removeOne(link))
            return;
        link->deleteLater();
        emit registrationClosed();
    };
    connect(link, &QTcpSocket::disconnected, this, closed);
    connect(link, &QTcpSocket::errorOccurred, this, [link, closed] {
        if (link->state() == QAbstractSocket::UnconnectedState)
            closed();
    });
    link->connectToHost(hub, hubPort);
    return link;
}

void ScriptedPlayer::readGreeting(QTcpSocket *link, const QByteArray &record)
{
    const QByteArray greeting = PlayerProtocol::greeting();
    if (link->property("greeted").toBool()) {
        link->readAll();
        return;
    }
    if (link->bytesAvailable() < greeting.size() || link->read(greeting.size()) != greeting)
        return;
    link->setProperty("greeted", true);
    ++m_greeted;
    link->write(record);
}

int ScriptedPlayer::held() const
{
    return std::count_if(m_registrations.cbegin(), m_registrations.cend(), [](QTcpSocket *link) {
        return link->property("greeted").toBool()
            && link->state() == QAbstractSocket::ConnectedState;
    });
}

void ScriptedPlayer::dropRegistrations()
{
    for (QTcpSocket *link : QList<QTcpSocket *>(m_registrations))
        link->abort();
}

bool ScriptedPlayer::hearScans(quint16 port, const QByteArray &record, bool answerAtOnce,
                               const QHostAddress &at)
{
    m_scanRecord = record;
    m_scans = new QUdpSocket(this);
    connect(m_scans, &QUdpSocket::readyRead, this, [this] {
        while (m_scans->hasPendingDatagrams()) {
            const QNetworkDatagram datagram = m_scans->receiveDatagram();
            if (const auto hubPort = PlayerProtocol::parseDiscoveryDatagram(datagram.data()))
                emit invited(datagram.senderAddress(), *hubPort);
        }
    });
    if (answerAtOnce)
        connect(this, &ScriptedPlayer::invited, this, &ScriptedPlayer::answer);
    return m_scans->bind(at, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

quint16 ScriptedPlayer::scanPort() const
{
    return m_scans ? m_scans->localPort() : 0;
}

quint16 ScriptedPlayer::commandPort()
{
    // Only players that take commands need a port of their own.
    if (!m_server->isListening())
        m_server->listen(QHostAddress::LocalHost);
    return m_server->serverPort();
}

void ScriptedPlayer::acceptCommandLinks()
{
    while (QTcpSocket *link = m_server->nextPendingConnection()) {
        const int index = m_links.size();
        m_links.append(link);
        m_received.append(QByteArray());
        connect(link, &QTcpSocket::readyRead, this, [this, index, link] {
            const QByteArray bytes = link->readAll();
            m_received[index] += bytes;
            if (bytes.contains('\0'))
                emit commandReceived(index);
        });
    }
}

bool ScriptedPlayer::linkOpen(int index) const
{
    return index < m_links.size() && m_links.at(index)->state() == QAbstractSocket::ConnectedState;
}

void ScriptedPlayer::reply(int index, const QByteArray &bytes)
{
    m_links.at(index)->write(bytes);
    m_links.at(index)->flush();
}
