// One registered Orvik player: what it told the hub when it registered (host
// name, address, command port), its command link, and its last reply. Sends the
// playlist request and the switch command, gathers the player's replies and
// announces each one with jsonChanged.
#pragma once

#include "commandlink.h"

#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QTimer;

class Client : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString hostname READ hostname WRITE setHostname NOTIFY hostnameChanged)
    Q_PROPERTY(QString ipaddress READ ipAddress WRITE setIpAddress NOTIFY ipAddressChanged)
    Q_PROPERTY(QJsonObject json READ json NOTIFY jsonChanged)

public:
    // How long a command may take to be handed to the network before its link is
    // given up; the command is not sent again.
    static constexpr int commandDeadline = 30000;
    Client(QString hostname, QHostAddress ipAddress, quint16 port, QObject *parent = nullptr);
    ~Client() override;

    // Each command drops the link the previous one left open and opens a new one.
    void requestPlaylist();
    void switchToIndex(quint16 index);

    QString hostname() const { return m_hostname; }
    QString ipAddress() const { return m_ipAddress.toString(); }
    quint16 port() const { return m_port; }
    QJsonObject json() const { return m_json; }

    // A player that registers again under another name keeps its object.
    void setHostname(const QString &value);
    // The write of the ipaddress property, which the script surface has and
    // nothing uses: a player at another address has an object of its own.
    void setIpAddress(const QString &value);

    void setCommandDeadline(int milliseconds);

signals:
    void hostnameChanged(QString hostname);
    void ipAddressChanged(QString ipaddress);
    void jsonChanged(QJsonObject json);

private:
    void sendCommand(const QByteArray &command);
    void giveUpCommand();
    void linkEnded(CommandLink::Failure failure);
    void announce(const QByteArray &reply);

    QString m_hostname;
    QHostAddress m_ipAddress;
    quint16 m_port;
    QJsonObject m_json;
    CommandLink *m_link;
    QTimer *m_deadline;
};
