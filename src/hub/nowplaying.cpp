#include "nowplaying.h"

#include "playerexchange.h"
#include "playerprotocol.h"

NowPlaying::NowPlaying(QObject *parent) : QObject(parent) { }

NowPlaying::~NowPlaying() = default;

void NowPlaying::ask(const PlayerAddress &player)
{
    if (m_running.contains(player) || m_waiting.contains(player))
        return;
    m_waiting.append(player);
    startWaiting();
}

void NowPlaying::forget(const PlayerAddress &player)
{
    m_waiting.removeOne(player);
}

void NowPlaying::startWaiting()
{
    while (m_running.size() < maximumLinks && !m_waiting.isEmpty()) {
        const PlayerAddress player = m_waiting.takeFirst();
        auto *exchange = new PlayerExchange(QHostAddress(player.address), player.port,
                                            PlayerProtocol::playlistRequest(), m_deadline, this);
        m_running.insert(player, exchange);
        connect(exchange, &PlayerExchange::answered, this, [this, player](const QJsonObject &json) {
            finish(player);
            emit replied(player, json);
            emit answered(player, PlayerAnswer::readPlaying(json));
        });
        connect(exchange, &PlayerExchange::failed, this, [this, player] {
            finish(player);
            emit unanswered(player);
        });
        exchange->start();
    }
}

void NowPlaying::finish(const PlayerAddress &player)
{
    m_running.take(player)->deleteLater();
    startWaiting();
}

#include "moc_nowplaying.cpp"
