// One simulated Orvik player. It answers discovery datagrams by registering
// with the hub that sent them, accepts command links on its command port and
// answers playlist requests and switch commands with its playlist. Every
// message it receives or sends is reported as one line through logged(), in a
// fixed format that end-to-end tests grep for.
#pragma once

#include "playerbehaviour.h"
#include "playlist.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>

class CommandLink;
class QTcpServer;
class QTcpSocket;
class RegistrationLink;

class SimulatedPlayer : public QObject
{
    Q_OBJECT

public:
    // Registrations in flight at once; a flood of datagrams drops the oldest.
    static constexpr int maximumRegistrations = 8;
    // Command links open at once; a new one beyond this drops the oldest.
    static constexpr int maximumCommandLinks = 32;
    // The four leading bytes of the record, which the hub skips: "ORVK".
    static constexpr quint32 recordLeader = 0x4F52564B;

    SimulatedPlayer(QString name, Playlist playlist, int activeIndex, PlayerBehaviour behaviour,
                    QObject *parent = nullptr);
    ~SimulatedPlayer() override;

    // Opens the command port (port 0: any free one). A player that refuses
    // commands only reserves the port, so that connecting to it is refused.
    bool start(const QHostAddress &address, quint16 port, QString *error);

    QString name() const { return m_name; }
    quint16 commandPort() const { return m_commandPort; }
    int activeIndex() const { return m_activeIndex; }

    // The registration record this player sends over a link whose local address
    // is the one given.
    QByteArray registrationRecord(const QHostAddress &localAddress) const;

    // The local address of registration links (null: the system's choice), and so
    // the address the player registers under.
    void setSourceAddress(const QHostAddress &address) { m_sourceAddress = address; }

    // Makes the player's random choices those of this seed.
    void seed(quint32 value) { m_random.seed(value); }

    // A datagram heard on the discovery port, sent to destination: the
    // player's own address (direct) or a broadcast address.
    void handleDatagram(const QByteArray &datagram, const QHostAddress &sender, quint16 senderPort,
                        const QHostAddress &destination, bool direct);

signals:
    void logged(const QString &line);
    void activeIndexChanged(int activeIndex);

private:
    void log(const QString &line);
    // Registers with the hub at that address and port.
    void answer(const QHostAddress &hub, quint16 hubPort);
    void acceptCommandLinks();
    void handleCommand(CommandLink *link, const QByteArray &command);
    QByteArray replyBytes() const;

    QString m_name;
    Playlist m_playlist;
    int m_activeIndex;
    PlayerBehaviour m_behaviour;
    QHostAddress m_sourceAddress;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_reservation = nullptr;
    quint16 m_commandPort = 0;
    QList<RegistrationLink *> m_registrations;
    QList<CommandLink *> m_commandLinks;
    QRandomGenerator m_random {QRandomGenerator::securelySeeded()};
};
