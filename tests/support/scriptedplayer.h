// A player whose every byte a test or benchmark scripts. Its registration side
// opens links to a hub, takes the greeting and answers with the record it is
// given (or with nothing); it can also hear scans on a discovery port and
// answer each one so. Its command side takes command links on a loopback port,
// keeps every link and what arrived on it, and answers with the bytes it is
// handed.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

class ScriptedPlayer : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedPlayer(QObject *parent = nullptr);

    // A playlist answer, playing Default: a video of each description.
    static QByteArray playlist(const QStringList &descriptions);
    // The record of this player under name and address, with its command port.
    QByteArray record(const QString &name, const QString &address = QStringLiteral("127.0.0.1"));

    // Opens a registration link to the hub; once greeted, it sends record
    // (nothing when record is empty). The link is deleted once it closes.
    QTcpSocket *registerWith(quint16 hubPort, const QByteArray &record,
                             const QHostAddress &hub = QHostAddress(QHostAddress::LocalHost));
    // Hears scans on this UDP port, shared with other players (0: a free one),
    // of every address or of one: a player with an address of its own hears
    // only the datagrams sent there. Each scan is announced with invited()
    // and, when answerAtOnce, answered by registering with record.
    bool hearScans(quint16 port, const QByteArray &record, bool answerAtOnce = true,
                   const QHostAddress &at = QHostAddress(QHostAddress::AnyIPv4));
    quint16 scanPort() const;
    void answer(const QHostAddress &hub, quint16 port) { registerWith(port, m_scanRecord, hub); }
    // Registration links still open, oldest first.
    const QList<QTcpSocket *> &registrations() const { return m_registrations; }
    // Links greeted so far, and those of them still open.
    int greeted() const { return m_greeted; }
    int held() const;
    void dropRegistrations();

    quint16 commandPort();
    int linkCount() const { return m_links.size(); }
    QTcpSocket *link(int index) const { return m_links.at(index); }
    // What command link index received so far; empty while there is no such link.
    QByteArray received(int index) const { return m_received.value(index); }
    bool linkOpen(int index) const;
    void reply(int index, const QByteArray &bytes);

signals:
    void invited(const QHostAddress &hub, quint16 port);
    void registrationClosed();
    // Command link index received a whole command (up to its 0x00).
    void commandReceived(int index);

private:
    void readGreeting(QTcpSocket *link, const QByteArray &record);
    void acceptCommandLinks();

    QUdpSocket *m_scans = nullptr;
    QByteArray m_scanRecord;
    QList<QTcpSocket *> m_registrations;
    int m_greeted = 0;
    QTcpServer *m_server;
    QList<QTcpSocket *> m_links;
    QList<QByteArray> m_received;
};
