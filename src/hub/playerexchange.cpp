#include "playerexchange.h"

#include "playerprotocol.h"

#include <QTimer>

#include <utility>

PlayerExchange::PlayerExchange(QHostAddress address, quint16 port, QByteArray command, int deadline,
                               QObject *parent)
    : QObject(parent),
      m_address(std::move(address)),
      m_port(port),
      m_command(std::move(command)),
      m_link(new CommandLink(this)),
      m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(deadline);
    connect(m_link, &CommandLink::replied, this, &PlayerExchange::succeed);
    connect(m_link, &CommandLink::failed, this, &PlayerExchange::linkEnded);
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
    m_link->send(m_address, m_port, m_command);
}

void PlayerExchange::abort()
{
    end();
    m_state = State::Over;
}

void PlayerExchange::linkEnded(CommandLink::Failure failure)
{
    switch (failure) {
    case CommandLink::Failure::Closed:
        fail(Failure::Closed, QStringLiteral("closed the link without an answer"));
        break;
    case CommandLink::Failure::Oversized:
        fail(Failure::Oversized,
             QStringLiteral("sent an answer of more than %1 bytes")
                 .arg(ReplyAssembler::maximumReplySize));
        break;
    case CommandLink::Failure::Refused:
        fail(Failure::Refused, QStringLiteral("refused the connection"));
        break;
    case CommandLink::Failure::NotFound:
        fail(Failure::NotFound, QStringLiteral("was not found"));
        break;
    case CommandLink::Failure::Unreachable:
        fail(Failure::Unreachable,
             QStringLiteral("could not be reached: %1").arg(m_link->errorString()));
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
    m_link->abort();
    return true;
}

#include "moc_playerexchange.cpp"
