// A peer that sends far more than the other side should take: head, then
// filler over and over, up to total bytes, as fast as the link drains and
// never more than a MiB ahead of it. It notes how much the network took
// before the other side closed the link, so that a test of a capped buffer
// can tell a reader that stopped at its cap from one that read on.
#pragma once

#include <QByteArray>
#include <QObject>

class QTcpSocket;

class Flood : public QObject
{
    Q_OBJECT

public:
    Flood(QTcpSocket *link, QByteArray head, QByteArray filler, qint64 total);

    // Bytes the network took so far.
    qint64 sent() const { return m_sent; }
    // The link ended: closed by the other side, or all was sent.
    bool ended() const { return m_ended; }

    // Whether a writer hears that the other side closed a link it had not read
    // to the end: not under Wine, where the Windows build's tests run.
    static bool hearsReset()
    {
#ifdef Q_OS_WIN
        return false;
#else
        return true;
#endif
    }

private:
    void more();

    QTcpSocket *m_link;
    QByteArray m_head;
    QByteArray m_filler;
    qint64 m_total;
    qint64 m_queued = 0;
    qint64 m_sent = 0;
    bool m_ended = false;
};
