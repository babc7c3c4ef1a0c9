#include "playerexchange.h"

#include "client.h"
#include "playerprotocol.h"

#include <QTcpSocket>
#include <QTimer>

#include <utility>

PlayerExchange::PlayerExchange(QHostAddress address, quint16 port, QByteArray command, int deadline,
                               QObject *parent)
    : QObject(parent),
      m_address(std::move(address)),
      m_port(port),
      m_command(std::move(command)),
      m_socket(new QTcpSocket(this)),
      m_deadline(new QTimer(this))
{
    m_socket->setReadBufferSize(Client::readBufferSize);
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(deadline);

    connect(m_socket, &QTcpSocket::connected, this, &PlayerExchange::writeCommand);
    connect(m_socket, &QTcpSocket::readyRead, this, &PlayerExchange::readAnswer);
    connect(m_socket, &QTcpSocket::disconnected, this, &PlayerExchange::linkClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &PlayerExchange::linkFailed);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        fail(Failure::Silent,
             QStringLiteral("did not answer within %1 s")
                 .arg(QString::number(m_deadline->interval() / 1000.0)));
    });
}

PlayerExchange::~PlayerExchange() = default;

void PlayerExchange::start()
{
    if (m_state != State::Ready)
        return;
    m_state = State::Running;
    m_deadline->start();
    m_socket->connectToHost(m_address, m_port);
}

void PlayerExchange::abort()
{
    end();
    m_state = State::Over;
}

void PlayerExchange::writeCommand()
{
    m_socket->write(m_command);
}

void PlayerExchange::readAnswer()
{
    const QList<QByteArray> replies = m_assembler.feed(m_socket->readAll());
    if (!replies.isEmpty())
        succeed(replies.constFirst());
    else if (m_assembler.overflowed())
        fail(Failure::Oversized,
             QStringLiteral("sent an answer of more than %1 bytes")
                 .arg(ReplyAssembler::maximumReplySize));
}

void PlayerExchange::linkClosed()
{
    // A player may close the link right after an answer that has no 0x00.
    readAnswer();
    if (m_state != State::Running)
        return;
    if (const auto rest = m_assembler.finish())
        succeed(*rest);
    else
        fail(Failure::Closed, QStringLiteral("closed the link without an answer"));
}

void PlayerExchange::linkFailed(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        break; // linkClosed() follows
    case QAbstractSocket::ConnectionRefusedError:
        fail(Failure::Refused, QStringLiteral("refused the connection"));
        break;
    case QAbstractSocket::HostNotFoundError:
        fail(Failure::NotFound, QStringLiteral("was not found"));
        break;
    default:
        fail(Failure::Unreachable,
             QStringLiteral("could not be reached: %1").arg(m_socket->errorString()));
    }
}

void PlayerExchange::succeed(const QByteArray &reply)
{
    if (!end())
        return;
    const QJsonObject answer = PlayerProtocol::replyObject(reply);
    QMetaObject::invokeMethod(
        this,
        [this, answer] {
            if (std::exchange(m_state, State::Over) == State::Reporting)
                emit answered(answer);
        },
        Qt::QueuedConnection);
}

void PlayerExchange::fail(Failure failure, const QString &reason)
{
    if (!end())
        return;
    m_failure = failure;
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            if (std::exchange(m_state, State::Over) == State::Reporting)
                emit failed(reason);
        },
        Qt::QueuedConnection);
}

// Closes the link without telling anyone. False when the exchange was over
// already.
bool PlayerExchange::end()
{
    if (m_state == State::Reporting || m_state == State::Over)
        return false;
    m_state = State::Reporting;
    m_deadline->stop();
    // Its signals could only report the close that follows, or a late error.
    m_socket->disconnect(this);
    m_socket->abort();
    m_assembler.reset();
    return true;
}

#include "moc_playerexchange.cpp"
