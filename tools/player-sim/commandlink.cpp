#include "commandlink.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

CommandLink::CommandLink(QTcpSocket *socket, Timing timing, QObject *parent)
    : QObject(parent), m_socket(socket), m_timer(new QTimer(this)), m_timing(timing)
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(maximumCommandSize);
    m_peer
        = QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
    m_timer->setSingleShot(true);

    connect(m_socket, &QTcpSocket::readyRead, this, &CommandLink::readCommands);
    connect(m_socket, &QTcpSocket::disconnected, this, &CommandLink::linkClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            emit logged(
                QStringLiteral("command link %1 error: %2").arg(m_peer, m_socket->errorString()));
        linkClosed();
    });
    connect(m_timer, &QTimer::timeout, this, &CommandLink::writeNextPiece);
}

CommandLink::~CommandLink() = default;

QString CommandLink::peer() const
{
    return m_peer;
}

void CommandLink::sendReply(const QByteArray &reply, const QString &summary)
{
    if (m_closed)
        return;
    if (m_replies.size() >= maximumQueuedReplies) {
        emit logged(QStringLiteral("dropped reply on %1: %2 replies already queued")
                        .arg(m_peer)
                        .arg(m_replies.size()));
        return;
    }
    m_replies.enqueue(Reply {reply, summary});
    if (!m_writing)
        startNextReply();
}

void CommandLink::abort()
{
    m_socket->abort();
    linkClosed();
}

void CommandLink::readCommands()
{
    while (!m_closed && m_socket->bytesAvailable() > 0) {
        m_buffer.append(m_socket->read(maximumCommandSize - m_buffer.size() + 1));
        int end;
        while (!m_closed && (end = m_buffer.indexOf('\0')) >= 0) {
            const QByteArray command = m_buffer.left(end + 1);
            m_buffer.remove(0, end + 1);
            emit commandReceived(command);
        }
        if (m_buffer.size() > maximumCommandSize) {
            emit logged(QStringLiteral("dropped command link %1: more than %2 bytes without 0x00")
                            .arg(m_peer)
                            .arg(maximumCommandSize));
            abort();
        }
    }
}

void CommandLink::startNextReply()
{
    if (m_closed || m_replies.isEmpty()) {
        m_writing = false;
        return;
    }
    m_writing = true;
    if (m_timing.delay > 0)
        m_timer->start(m_timing.delay);
    else
        writeNextPiece();
}

void CommandLink::writeNextPiece()
{
    if (m_closed || m_replies.isEmpty())
        return;
    Reply &reply = m_replies.head();
    const int size = reply.bytes.size();
    const int pieces = qBound(1, m_timing.pieces, qMax(1, size));
    // Pieces of nearly equal size; the last takes the remainder.
    const int pieceSize = size / pieces;
    const bool last = reply.written + 2 * pieceSize > size || pieceSize == 0;
    const int count = last ? size - reply.written : pieceSize;
    m_socket->write(reply.bytes.mid(reply.written, count));
    reply.written += count;
    if (!last) {
        m_timer->start(m_timing.pieceGap);
        return;
    }

    emit logged(reply.summary);
    m_replies.dequeue();
    if (m_timing.closeAfterReply) {
        // Flushes what is still buffered, then closes.
        m_socket->disconnectFromHost();
        m_replies.clear();
        m_writing = false;
        return;
    }
    startNextReply();
}

void CommandLink::linkClosed()
{
    if (m_closed)
        return;
    m_closed = true;
    m_timer->stop();
    m_replies.clear();
    m_writing = false;
    emit closed();
}
