#include "pendingregistration.h"

#include <QTcpSocket>
#include <QTimer>

PendingRegistration::PendingRegistration(QTcpSocket *socket, int deadline, QObject *parent)
    : QObject(parent), m_socket(socket), m_deadline(new QTimer(this))
{
    m_age.start();
    m_socket->setParent(this);
    // A record is at most a few hundred bytes; nothing more is ever read.
    m_socket->setReadBufferSize(PlayerProtocol::maximumRecordSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &PendingRegistration::readRecord);
    connect(m_socket, &QTcpSocket::disconnected, this, &PendingRegistration::giveUp);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &PendingRegistration::giveUp);
    m_deadline->start(deadline);

    m_socket->write(PlayerProtocol::greeting());
}

PendingRegistration::~PendingRegistration() = default;

void PendingRegistration::drop()
{
    m_finished = true;
    m_deadline->stop();
    m_socket->abort();
}

void PendingRegistration::readRecord()
{
    if (m_finished)
        return;
    const qint64 wanted = PlayerProtocol::maximumRecordSize - m_received.size();
    m_received.append(m_socket->read(wanted));
    const auto record = PlayerProtocol::parseRegistrationRecord(m_received);
    if (!record)
        return;
    m_finished = true;
    m_deadline->stop();
    emit registered(*record);
    m_socket->abort();
}

void PendingRegistration::giveUp()
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline->stop();
    m_socket->abort();
    emit failed();
}

#include "moc_pendingregistration.cpp"
