// One command to a player on a link of its own, and the player's first answer
// to it: for whatever asks a player once (quintavo-cli, a look at a listed
// player) without touching the link of the player the window has open. Ends
// with exactly one of answered() and failed(), a turn of the event loop after
// the outcome is known, so that a receiver may delete it there. Writes no log
// lines: the receiver tells the user, once.
#pragma once

#include "commandlink.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QTimer;

class PlayerExchange : public QObject
{
    Q_OBJECT

public:
    // How an exchange failed, for those that tell a silent player from one
    // that cannot be reached.
    enum class Failure {
        Silent, // no answer within the deadline
        Closed, // the player closed the link without an answer
        Oversized, // the answer grew past ReplyAssembler::maximumReplySize
        Refused, // the connection was refused
        NotFound, // no such host
        Unreachable, // any other socket error
    };

    // deadline: milliseconds from start() to the answer, connecting included.
    PlayerExchange(QHostAddress address, quint16 port, QByteArray command, int deadline,
                   QObject *parent = nullptr);
    ~PlayerExchange() override;

    void start();
    // Ends the exchange at once; no signal follows.
    void abort();

    // Why the exchange failed; meaningful once failed() is emitted.
    Failure failure() const { return m_failure; }

signals:
    // The first reply, read as the window reads it (not JSON: an empty object).
    void answered(const QJsonObject &answer);
    // What the player did, to follow its name: "refused the connection".
    void failed(const QString &reason);

private:
    enum class State { Ready, Running, Reporting, Over };

    void linkEnded(CommandLink::Failure failure);
    void succeed(const QByteArray &reply);
    void fail(Failure failure, const QString &reason);
    bool end();

    QHostAddress m_address;
    quint16 m_port;
    QByteArray m_command;
    CommandLink *m_link;
    QTimer *m_deadline;
    State m_state = State::Ready;
    Failure m_failure = Failure::Silent;
};
