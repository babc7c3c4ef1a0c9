// One command link accepted by a simulated player: cuts the incoming bytes into
// commands at their 0x00 bytes (however the reads split them) and writes the
// player's replies, one after another, with the delay and in the pieces the
// player's behaviour asks for. Owns the link's socket.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QString>

class QTcpSocket;
class QTimer;

class CommandLink : public QObject
{
    Q_OBJECT

public:
    // A command is a short JSON text; a link that sends more without a 0x00 is
    // not talking to a player and is dropped.
    static constexpr int maximumCommandSize = 4096;
    // Replies waiting on one link; commands beyond this get none.
    static constexpr int maximumQueuedReplies = 16;

    struct Timing
    {
        int delay = 0;
        int pieces = 1;
        int pieceGap = 20;
        bool closeAfterReply = false;
    };

    CommandLink(QTcpSocket *socket, Timing timing, QObject *parent = nullptr);
    ~CommandLink() override;

    QString peer() const;

    // Queues a reply; summary is logged once its last byte has been handed over.
    void sendReply(const QByteArray &reply, const QString &summary);

    void abort();

signals:
    // One whole command, with its 0x00.
    void commandReceived(const QByteArray &command);
    void logged(const QString &line);
    // The link is gone; the player may delete this object.
    void closed();

private:
    struct Reply
    {
        QByteArray bytes;
        QString summary;
        int written = 0;
    };

    void readCommands();
    void startNextReply();
    void writeNextPiece();
    void linkClosed();

    QTcpSocket *m_socket;
    QTimer *m_timer;
    Timing m_timing;
    QString m_peer;
    QByteArray m_buffer;
    QQueue<Reply> m_replies;
    bool m_writing = false;
    bool m_closed = false;
};
