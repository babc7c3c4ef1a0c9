#include "registrationlink.h"

#include "playerprotocol.h"

#include <QTcpSocket>
#include <QTimer>

#include <utility>

RegistrationLink::RegistrationLink(std::function<QByteArray(const QHostAddress &)> recordFor,
                                   Answer answer, QObject *parent)
    : QObject(parent),
      m_recordFor(std::move(recordFor)),
      m_answer(answer),
      m_socket(new QTcpSocket(this)),
      m_deadline(new QTimer(this))
{
    // Only the 7-byte greeting is of interest; whatever follows is discarded.
    m_socket->setReadBufferSize(64);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &RegistrationLink::timedOut);
    connect(m_socket, &QTcpSocket::readyRead, this, &RegistrationLink::readGreeting);
    connect(m_socket, &QTcpSocket::disconnected, this, &RegistrationLink::linkClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            emit logged(QStringLiteral("registration with %1 failed: %2")
                            .arg(m_hub, m_socket->errorString()));
        linkClosed();
    });
}

RegistrationLink::~RegistrationLink() = default;

void RegistrationLink::open(const QHostAddress &hub, quint16 port, const QHostAddress &source)
{
    m_hub = QStringLiteral("%1:%2").arg(hub.toString()).arg(port);
    if (!source.isNull() && !m_socket->bind(source, 0)) {
        emit logged(QStringLiteral("cannot connect to hub %1 from %2: %3")
                        .arg(m_hub, source.toString(), m_socket->errorString()));
        linkClosed();
        return;
    }
    emit logged(QStringLiteral("connect to hub %1").arg(m_hub));
    m_deadline->start(greetingDeadline);
    m_socket->connectToHost(hub, port);
}

void RegistrationLink::abort()
{
    m_socket->abort();
    linkClosed();
}

void RegistrationLink::readGreeting()
{
    if (m_answered) {
        m_socket->readAll();
        return;
    }
    const QByteArray expected = PlayerProtocol::greeting();
    m_greeting.append(m_socket->read(expected.size() - m_greeting.size()));
    if (!expected.startsWith(m_greeting)) {
        emit logged(QStringLiteral("recv bad greeting from %1: %2")
                        .arg(m_hub, QString::fromLatin1(m_greeting.toHex())));
        abort();
        return;
    }
    if (m_greeting.size() < expected.size())
        return;
    emit logged(QStringLiteral("recv greeting from %1").arg(m_hub));
    answer();
    m_socket->readAll();
}

void RegistrationLink::answer()
{
    m_answered = true;
    m_deadline->start(lingerDeadline);

    QByteArray record = m_recordFor(m_socket->localAddress());
    const auto parsed = PlayerProtocol::parseRegistrationRecord(record);
    const QString fields = parsed ? QStringLiteral("port=%1 address=%2 name=%3")
                                        .arg(parsed->commandPort)
                                        .arg(parsed->addressText, parsed->hostName)
                                  : QString();
    switch (m_answer) {
    case Answer::Record:
        m_socket->write(record);
        emit logged(QStringLiteral("sent record %1 bytes %2 %3")
                        .arg(record.size())
                        .arg(QString::fromLatin1(record.toHex()), fields));
        break;
    case Answer::Nothing:
        emit logged(QStringLiteral("withheld record (silent registration)"));
        break;
    case Answer::ShortRecord: {
        // Cut half of the texts away (at least one byte): the length bytes still
        // promise the whole of them.
        const int full = record.size();
        record.chop(qMax(1, (full - 8) / 2));
        m_socket->write(record);
        emit logged(QStringLiteral("sent short record %1 of %2 bytes %3")
                        .arg(record.size())
                        .arg(full)
                        .arg(QString::fromLatin1(record.toHex())));
        break;
    }
    }
}

void RegistrationLink::timedOut()
{
    if (m_answered)
        emit logged(QStringLiteral("registration link to %1 still open after %2 ms; closing it")
                        .arg(m_hub)
                        .arg(lingerDeadline));
    else
        emit logged(QStringLiteral("no greeting from %1 within %2 ms; giving up")
                        .arg(m_hub)
                        .arg(greetingDeadline));
    abort();
}

void RegistrationLink::linkClosed()
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline->stop();
    if (m_answered)
        emit logged(QStringLiteral("registration link to %1 closed").arg(m_hub));
    emit finished();
}
