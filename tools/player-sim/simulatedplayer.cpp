#include "simulatedplayer.h"

#include "commandlink.h"
#include "playerprotocol.h"
#include "registrationlink.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

// Longest hex dump of a foreign datagram in a log line.
constexpr int maximumDumpedBytes = 64;

QString endpoint(const QHostAddress &address, quint16 port)
{
    return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

// A command's text on one log line: control characters (the 0x00 among them)
// would break the line, so they are left out.
QString printable(const QByteArray &command)
{
    QString text = QString::fromUtf8(command);
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('.');
    if (text.endsWith(QLatin1Char('.')) && command.endsWith('\0'))
        text.chop(1);
    return text;
}

} // namespace

SimulatedPlayer::SimulatedPlayer(QString name, Playlist playlist, int activeIndex,
                                 PlayerBehaviour behaviour, QObject *parent)
    : QObject(parent),
      m_name(std::move(name)),
      m_playlist(std::move(playlist)),
      m_activeIndex(activeIndex),
      m_behaviour(behaviour)
{ }

SimulatedPlayer::~SimulatedPlayer() = default;

bool SimulatedPlayer::start(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_behaviour.refuseCommands) {
        // Bound but not listening: the port stays ours, and connecting to it is
        // refused.
        m_reservation = new QTcpSocket(this);
        if (!m_reservation->bind(address, port, QAbstractSocket::DontShareAddress)) {
            *error = m_reservation->errorString();
            return false;
        }
        m_commandPort = m_reservation->localPort();
        log(QStringLiteral("refusing commands on %1").arg(endpoint(address, m_commandPort)));
        return true;
    }

    m_server = new QTcpServer(this);
    if (!m_server->listen(address, port)) {
        *error = m_server->errorString();
        return false;
    }
    m_commandPort = m_server->serverPort();
    connect(m_server, &QTcpServer::newConnection, this, &SimulatedPlayer::acceptCommandLinks);
    log(QStringLiteral("listening on %1 videos=%2 activeIndex=%3")
            .arg(endpoint(address, m_commandPort))
            .arg(m_playlist.videoCount())
            .arg(m_activeIndex));
    return true;
}

QByteArray SimulatedPlayer::registrationRecord(const QHostAddress &localAddress) const
{
    PlayerProtocol::RegistrationRecord record;
    record.commandPort = m_commandPort;
    record.addressText = localAddress.toString();
    record.hostName = m_name;
    return PlayerProtocol::encodeRegistrationRecord(record, recordLeader);
}

void SimulatedPlayer::handleDatagram(const QByteArray &datagram, const QHostAddress &sender,
                                     quint16 senderPort, const QHostAddress &destination,
                                     bool direct)
{
    const auto hubPort = PlayerProtocol::parseDiscoveryDatagram(datagram);
    if (!hubPort) {
        const QString reason = datagram.size() != PlayerProtocol::datagramSize
            ? QStringLiteral("wrong length")
            : QStringLiteral("bad constants or CRC");
        log(QStringLiteral("ignored datagram from %1 %2 bytes %3: %4")
                .arg(endpoint(sender, senderPort))
                .arg(datagram.size())
                .arg(hex(datagram.left(maximumDumpedBytes)), reason));
        return;
    }
    const QString kind = direct ? QStringLiteral("direct") : QStringLiteral("broadcast");
    if (!direct && int(m_random.bounded(100)) < m_behaviour.missBroadcasts) {
        log(QStringLiteral("missed datagram from %1 to %2 (broadcast)")
                .arg(endpoint(sender, senderPort), destination.toString()));
        return;
    }
    log(QStringLiteral("recv datagram from %1 to %2 (%3) port=%4 bytes %5")
            .arg(endpoint(sender, senderPort), destination.toString(), kind)
            .arg(*hubPort)
            .arg(hex(datagram)));

    if (m_behaviour.answerJitter > 0) {
        const int delay = int(m_random.bounded(m_behaviour.answerJitter + 1));
        QTimer::singleShot(delay, this, [this, sender, port = *hubPort] { answer(sender, port); });
        return;
    }
    answer(sender, *hubPort);
}

void SimulatedPlayer::answer(const QHostAddress &hub, quint16 hubPort)
{
    if (m_registrations.size() >= maximumRegistrations) {
        RegistrationLink *oldest = m_registrations.takeFirst();
        log(QStringLiteral("too many registrations in flight; dropping the oldest"));
        oldest->abort();
    }

    const auto answer = m_behaviour.silentRegistration ? RegistrationLink::Answer::Nothing
        : m_behaviour.shortRecord                      ? RegistrationLink::Answer::ShortRecord
                                                       : RegistrationLink::Answer::Record;
    auto *link = new RegistrationLink(
        [this](const QHostAddress &local) { return registrationRecord(local); }, answer, this);
    m_registrations.append(link);
    connect(link, &RegistrationLink::logged, this, &SimulatedPlayer::log);
    connect(link, &RegistrationLink::finished, this, [this, link] {
        m_registrations.removeOne(link);
        link->deleteLater();
    });
    link->open(hub, hubPort, m_sourceAddress);
}

void SimulatedPlayer::log(const QString &line)
{
    emit logged(QStringLiteral("player %1 %2").arg(m_name, line));
}

void SimulatedPlayer::acceptCommandLinks()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_commandLinks.size() >= maximumCommandLinks) {
            CommandLink *oldest = m_commandLinks.takeFirst();
            log(QStringLiteral("too many command links; dropping %1").arg(oldest->peer()));
            oldest->abort();
        }
        CommandLink::Timing timing;
        timing.delay = m_behaviour.replyDelay;
        timing.pieces = m_behaviour.replyPieces;
        timing.pieceGap = m_behaviour.pieceGap;
        timing.closeAfterReply = m_behaviour.noTerminator;
        auto *link = new CommandLink(socket, timing, this);
        m_commandLinks.append(link);
        log(QStringLiteral("accepted command link from %1").arg(link->peer()));
        connect(link, &CommandLink::logged, this, &SimulatedPlayer::log);
        connect(link, &CommandLink::commandReceived, this,
                [this, link](const QByteArray &command) { handleCommand(link, command); });
        connect(link, &CommandLink::closed, this, [this, link] {
            m_commandLinks.removeOne(link);
            link->deleteLater();
        });
    }
}

void SimulatedPlayer::handleCommand(CommandLink *link, const QByteArray &command)
{
    log(QStringLiteral("recv command %1 bytes %2 %3")
            .arg(command.size())
            .arg(hex(command), printable(command)));

    const QByteArray text = command.left(command.size() - 1);
    if (text == PlayerProtocol::playlistRequest().chopped(1)) {
        // Nothing changes; the reply below tells the state.
    } else if (const auto index = PlayerProtocol::parseSwitchCommand(text)) {
        if (*index > m_playlist.videoCount()) {
            log(QStringLiteral("ignored switch to %1: only %2 videos")
                    .arg(*index)
                    .arg(m_playlist.videoCount()));
        } else {
            log(QStringLiteral("switch to %1").arg(*index));
            if (m_activeIndex != *index) {
                m_activeIndex = *index;
                emit activeIndexChanged(m_activeIndex);
            }
        }
    } else {
        log(QStringLiteral("ignored unknown command"));
        return;
    }

    if (m_behaviour.mute) {
        log(QStringLiteral("sent no reply (mute)"));
        return;
    }
    const QByteArray reply = replyBytes();
    QString summary
        = QStringLiteral("sent reply %1 bytes activeIndex=%2").arg(reply.size()).arg(m_activeIndex);
    if (m_behaviour.junkReplies)
        summary += QStringLiteral(" junk");
    if (m_behaviour.replyPieces > 1)
        summary += QStringLiteral(" pieces=%1").arg(m_behaviour.replyPieces);
    if (m_behaviour.noTerminator)
        summary += QStringLiteral(" unterminated, closing");
    link->sendReply(reply, summary);
}

QByteArray SimulatedPlayer::replyBytes() const
{
    QByteArray reply = m_behaviour.junkReplies
        ? QByteArrayLiteral("ORVIK/1.4 busy: playlist unavailable <retry later>")
        : QJsonDocument(m_playlist.reply(m_activeIndex)).toJson(QJsonDocument::Compact);
    if (!m_behaviour.noTerminator)
        reply.append('\0');
    return reply;
}
