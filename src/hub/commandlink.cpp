#include "commandlink.h"

#include <QTcpSocket>

#include <utility>

CommandLink::CommandLink(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    m_socket->setObjectName(QStringLiteral("commandLink")); // for tests
    m_socket->setReadBufferSize(readBufferSize);
    connect(m_socket, &QTcpSocket::connected, this, &CommandLink::writeCommand);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &CommandLink::confirmWritten);
    connect(m_socket, &QTcpSocket::readyRead, this, &CommandLink::readReplies);
    connect(m_socket, &QTcpSocket::disconnected, this, &CommandLink::linkClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CommandLink::linkFailed);
}

CommandLink::~CommandLink() = default;

void CommandLink::send(const QHostAddress &address, quint16 port, const QByteArray &command)
{
    abort();
    m_active = true;
    m_pendingCommand = command;
    m_socket->connectToHost(address, port, QIODevice::ReadWrite);
}

void CommandLink::abort()
{
    ++m_generation;
    m_active = false;
    m_assembler.reset();
    m_pendingCommand.clear();
    // Its signals could only report this close, or a late error.
    const QSignalBlocker quiet(m_socket);
    m_socket->abort();
}

QString CommandLink::errorString() const
{
    return m_socket->errorString();
}

void CommandLink::writeCommand()
{
    // Written once the link is up: bytes queued on a socket whose connection
    // then fails would be flushed into the failure and reported twice.
    m_socket->write(std::exchange(m_pendingCommand, QByteArray()));
}

void CommandLink::confirmWritten()
{
    if (m_socket->bytesToWrite() == 0)
        emit written();
}

bool CommandLink::readReplies()
{
    if (!m_active)
        return false;
    const int generation = m_generation;
    const QList<QByteArray> replies = m_assembler.feed(m_socket->readAll());
    for (const QByteArray &reply : replies) {
        emit replied(reply);
        // The receiver may have sent the next command, or dropped the link.
        if (generation != m_generation)
            return false;
    }
    if (!m_assembler.overflowed())
        return true;
    end(Failure::Oversized);
    return false;
}

void CommandLink::linkClosed()
{
    const int generation = m_generation;
    if (!readReplies())
        return;
    // A player may close the link right after a reply that has no 0x00.
    if (const auto rest = m_assembler.finish()) {
        emit replied(*rest);
        if (generation != m_generation)
            return;
    }
    end(Failure::Closed);
}

void CommandLink::linkFailed()
{
    if (!m_active)
        return;
    switch (m_socket->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        break; // linkClosed() follows
    case QAbstractSocket::ConnectionRefusedError:
        end(Failure::Refused);
        break;
    case QAbstractSocket::HostNotFoundError:
        end(Failure::NotFound);
        break;
    default:
        end(Failure::Unreachable);
    }
}

void CommandLink::end(Failure failure)
{
    abort();
    emit failed(failure);
}

#include "moc_commandlink.cpp"
