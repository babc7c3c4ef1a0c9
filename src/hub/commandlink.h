// A command link to a player: connects to its command port, writes one
// command once the link is up, and gathers the player's replies (each ends
// with 0x00; a reply the player ends by closing the link counts too). A new
// command drops whatever the previous link still holds. Knows nothing of
// deadlines or of what the replies say: its owners (the open player's
// Client, a one-off PlayerExchange) decide that.
#pragma once

#include "replyassembler.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpSocket;

class CommandLink : public QObject
{
    Q_OBJECT

public:
    // How the link ended without the replies its owner waits for.
    enum class Failure {
        Closed, // the player closed the link
        Oversized, // a reply grew past ReplyAssembler::maximumReplySize
        Refused, // the connection was refused
        NotFound, // no such host
        Unreachable, // any other socket error
    };
    // How much the link reads from the network at a time.
    static constexpr qint64 readBufferSize = 1024 * 1024;

    explicit CommandLink(QObject *parent = nullptr);
    ~CommandLink() override;

    // Drops the link in use, with its unsent bytes and any reply not yet
    // complete, and sends command on a new one.
    void send(const QHostAddress &address, quint16 port, const QByteArray &command);
    // Closes the link; nothing is announced.
    void abort();

    // The socket's own words for the last failure.
    QString errorString() const;

signals:
    // Every byte of the command is handed to the network.
    void written();
    // A complete reply, in the order they came.
    void replied(const QByteArray &reply);
    // The link ended: after the replies it carried, if any (Closed), or
    // without its command's being carried through.
    void failed(CommandLink::Failure failure);

private:
    void writeCommand();
    void confirmWritten();
    // False when the link ended or another command took it meanwhile.
    bool readReplies();
    void linkClosed();
    void linkFailed();
    void end(Failure failure);

    QTcpSocket *m_socket;
    QByteArray m_pendingCommand; // until the link is up
    ReplyAssembler m_assembler;
    bool m_active = false; // a command is under way; its end is announced once
    int m_generation = 0; // counts the links, so that a reply of an old one stops
};
