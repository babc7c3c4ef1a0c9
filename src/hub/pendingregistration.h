// One registration link between its acceptance and the player's record: sends
// the greeting, gathers the record over as many reads as it takes, and gives up
// when the link closes or the deadline passes first. Owns the link's socket.
#pragma once

#include "playerprotocol.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

class QTcpSocket;
class QTimer;

class PendingRegistration : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of socket and greets the player at once.
    PendingRegistration(QTcpSocket *socket, int deadline, QObject *parent = nullptr);
    ~PendingRegistration() override;

    // Closes the link at once; nothing is announced.
    void drop();

    // Milliseconds since the link was accepted.
    qint64 age() const { return m_age.elapsed(); }

signals:
    // The complete record arrived. The link is closed right after this.
    void registered(const PlayerProtocol::RegistrationRecord &record);
    // The link closed or the deadline passed before the record was complete.
    void failed();

private:
    void readRecord();
    void giveUp();

    QTcpSocket *m_socket;
    QTimer *m_deadline;
    QByteArray m_received;
    QElapsedTimer m_age;
    bool m_finished = false;
};
