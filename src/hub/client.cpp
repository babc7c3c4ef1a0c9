#include "client.h"

#include "playerprotocol.h"

#include <QLoggingCategory>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcClient, "quintavo.client", QtWarningMsg)

Client::Client(QString hostname, QHostAddress ipAddress, quint16 port, QObject *parent)
    : QObject(parent),
      m_hostname(std::move(hostname)),
      m_ipAddress(std::move(ipAddress)),
      m_port(port),
      m_link(new CommandLink(this)),
      m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    m_deadline->setInterval(commandDeadline);
    connect(m_link, &CommandLink::written, m_deadline, &QTimer::stop);
    connect(m_link, &CommandLink::replied, this, &Client::announce);
    connect(m_link, &CommandLink::failed, this, &Client::linkEnded);
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
    // complete) belongs to the previous command and is dropped with it.
    m_link->send(m_ipAddress, m_port, command);
    m_deadline->start();
}

void Client::giveUpCommand()
{
    qCWarning(lcClient) << "The command to" << m_hostname << "was not sent within"
                        << m_deadline->interval() << "ms; dropping it.";
    m_link->abort();
}

void Client::announce(const QByteArray &reply)
{
    // The previous answer (thousands of videos, a third of a millisecond to take
    // apart) is released once the new one is on its way to the screen.
    const QJsonObject previous = std::exchange(m_json, PlayerProtocol::replyObject(reply));
    emit jsonChanged(m_json);
}

void Client::linkEnded(CommandLink::Failure failure)
{
    m_deadline->stop();
    switch (failure) {
    case CommandLink::Failure::Closed:
        break;
    case CommandLink::Failure::Oversized:
        qCDebug(lcClient) << "The reply from" << m_hostname << "exceeds"
                          << ReplyAssembler::maximumReplySize << "bytes; dropping the link.";
        break;
    case CommandLink::Failure::NotFound:
        qCWarning(lcClient) << "The host was not found. Please check the host name and port "
                               "settings.";
        break;
    case CommandLink::Failure::Refused:
        qCWarning(lcClient) << "The connection was refused by the peer. Make sure the fortune "
                               "server is running, and check that the host name and port "
                               "settings are correct.";
        break;
    case CommandLink::Failure::Unreachable:
        qCDebug(lcClient).noquote()
            << QStringLiteral("The following error occurred: ") + m_link->errorString();
    }
}

#include "moc_client.cpp"
