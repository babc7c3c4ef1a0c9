// One registration of a simulated player with a hub: connects back to the hub
// that sent the discovery datagram, waits for the greeting and answers with the
// player's registration record, or, when the player is told to misbehave, with
// nothing or with a record that is cut short. Owns its socket.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;
class QTimer;

class RegistrationLink : public QObject
{
    Q_OBJECT

public:
    enum class Answer { Record, Nothing, ShortRecord };

    // How long the hub may take to greet; a hub that is silent longer is given up.
    static constexpr int greetingDeadline = 30000;
    // How long the link is kept once the player has answered (or chosen not to),
    // waiting for the hub to close it.
    static constexpr int lingerDeadline = 60000;

    // recordFor builds the record once the link is up: its address text is the
    // link's own local address.
    RegistrationLink(std::function<QByteArray(const QHostAddress &local)> recordFor, Answer answer,
                     QObject *parent = nullptr);
    ~RegistrationLink() override;

    // A non-null source is the link's local address, and so the address that the
    // record announces.
    void open(const QHostAddress &hub, quint16 port, const QHostAddress &source = {});
    void abort();

signals:
    void logged(const QString &line);
    // The link is gone; the player may delete this object.
    void finished();

private:
    void readGreeting();
    void answer();
    void timedOut();
    void linkClosed();

    std::function<QByteArray(const QHostAddress &)> m_recordFor;
    Answer m_answer;
    QTcpSocket *m_socket;
    QTimer *m_deadline;
    QString m_hub;
    QByteArray m_greeting;
    bool m_answered = false;
    bool m_finished = false;
};
