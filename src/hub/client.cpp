#include "client.h"

#include "playerprotocol.h"

#include <QLoggingCategory>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcClient, "quintavo.client", QtWarningMsg)

Client::Client(QString hostname, QHostAddress ipAddress, quint16 port, QObject *parent)
    : QObject(parent),
      m_hostname(std::move(hostname)),
      m_ipAddress(std::move(ipAddress)),
      m_port(port),
      m_socket(new QTcpSocket(this)),
      m_deadline(new QTimer(this))
{
    m_socket->setReadBufferSize(readBufferSize);
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(commandDeadline);

    connect(m_socket, &QTcpSocket::readyRead, this, &Client::readData);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Client::displayError);
    connect(m_socket, &QTcpSocket::connected, this, &Client::writeCommand);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &Client::confirmWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &Client::linkClosed);
    connect(m_deadline, &QTimer::timeout, this, &Client::giveUpCommand);
}

Client::~Client() = default;

void Client::requestPlaylist()
{
    sendCommand(PlayerProtocol::playlistRequest());
}

void Client::switchToIndex(quint16 index)
{
    sendCommand(PlayerProtocol::switchCommand(index));
}

void Client::setHostname(const QString &value)
{
    if (value == m_hostname)
        return;
    m_hostname = value;
    emit hostnameChanged(value);
}

void Client::setIpAddress(const QString &value)
{
    if (value == m_ipAddress.toString())
        return;
    m_ipAddress = QHostAddress(value);
    emit ipAddressChanged(value);
}

void Client::setCommandDeadline(int milliseconds)
{
    m_deadline->setInterval(milliseconds);
}

void Client::sendCommand(const QByteArray &command)
{
    // Whatever the previous link still holds (unsent bytes, a reply not yet
    // complete) belongs to the previous command and is dropped with it. The
    // assembler is emptied first: aborting a connected socket announces the close,
    // which must not pass a half reply on.
    m_assembler.reset();
    m_socket->abort();
    m_pendingCommand = command;
    m_socket->connectToHost(m_ipAddress, m_port, QIODevice::ReadWrite);
    m_deadline->start();
}

void Client::writeCommand()
{
    // Written once the link is up: bytes queued on a socket whose connection then
    // fails would be flushed into the failure and reported twice.
    m_socket->write(m_pendingCommand);
    m_pendingCommand.clear();
}

void Client::confirmWritten()
{
    if (m_socket->bytesToWrite() == 0)
        m_deadline->stop();
}

void Client::giveUpCommand()
{
    qCWarning(lcClient) << "The command to" << m_hostname << "was not sent within"
                        << m_deadline->interval() << "ms; dropping it.";
    m_assembler.reset();
    m_socket->abort();
}

void Client::readData()
{
    const QList<QByteArray> replies = m_assembler.feed(m_socket->readAll());
    for (const QByteArray &reply : replies)
        announce(reply);
    if (m_assembler.overflowed()) {
        qCDebug(lcClient) << "The reply from" << m_hostname << "exceeds"
                          << ReplyAssembler::maximumReplySize << "bytes; dropping the link.";
        m_assembler.reset();
        m_socket->abort();
    }
}

void Client::linkClosed()
{
    m_deadline->stop();
    // A player may close the link right after a reply that has no 0x00.
    if (const auto rest = m_assembler.finish())
        announce(*rest);
}

void Client::announce(const QByteArray &reply)
{
    // The previous answer (thousands of videos, a third of a millisecond to take
    // apart) is released once the new one is on its way to the screen.
    const QJsonObject previous = std::exchange(m_json, PlayerProtocol::replyObject(reply));
    emit jsonChanged(m_json);
}

void Client::displayError(QAbstractSocket::SocketError socketError)
{
    m_deadline->stop();
    switch (socketError) {
    case QAbstractSocket::RemoteHostClosedError:
        break;
    case QAbstractSocket::HostNotFoundError:
        qCWarning(lcClient) << "The host was not found. Please check the host name and port "
                               "settings.";
        break;
    case QAbstractSocket::ConnectionRefusedError:
        qCWarning(lcClient) << "The connection was refused by the peer. Make sure the fortune "
                               "server is running, and check that the host name and port "
                               "settings are correct.";
        break;
    default:
        qCDebug(lcClient).noquote()
            << QStringLiteral("The following error occurred: ") + m_socket->errorString();
    }
}

#include "moc_client.cpp"
