#include "flood.h"

#include <QTcpSocket>

#include <utility>

Flood::Flood(QTcpSocket *link, QByteArray head, QByteArray filler, qint64 total)
    : QObject(link),
      m_link(link),
      m_head(std::move(head)),
      m_filler(std::move(filler)),
      m_total(total)
{
    connect(link, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) {
        m_sent += bytes;
        more();
    });
    const auto end = [this] {
        m_ended = true;
    };
    connect(link, &QTcpSocket::connected, this, &Flood::more);
    connect(link, &QTcpSocket::disconnected, this, end);
    connect(link, &QTcpSocket::errorOccurred, this, end);
    more();
}

void Flood::more()
{
    if (m_sent >= m_total)
        m_ended = true;
    while (!m_ended && m_queued < m_total && m_link->bytesToWrite() < 1024 * 1024
           && m_link->state() == QAbstractSocket::ConnectedState) {
        const QByteArray &bytes = m_queued == 0 ? m_head : m_filler;
        m_queued
            += m_link->write(bytes.left(int(std::min<qint64>(bytes.size(), m_total - m_queued))));
    }
}
