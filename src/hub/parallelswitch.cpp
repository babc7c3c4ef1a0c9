#include "parallelswitch.h"

#include "playerexchange.h"
#include "playerprotocol.h"

#include <QHostAddress>

#include <utility>

ParallelSwitch::ParallelSwitch(QList<PlayerAddress> players, QObject *parent)
    : QObject(parent), m_players(std::move(players))
{
    static const int registered = qRegisterMetaType<SwitchOutcome>();
    Q_UNUSED(registered)
}

ParallelSwitch::~ParallelSwitch() = default;

void ParallelSwitch::switchToIndex(quint16 index)
{
    if (!begin())
        return;
    for (int player = 0; player < m_players.size(); ++player)
        m_toSwitch.append({player, index});
    switchNext();
}

void ParallelSwitch::switchEach(const QList<quint16> &indexes)
{
    Q_ASSERT(indexes.size() == m_players.size());
    if (!begin())
        return;
    for (int player = 0; player < m_players.size(); ++player)
        m_toSwitch.append({player, indexes.value(player)});
    switchNext();
}

void ParallelSwitch::switchToVideo(const QString &description)
{
    // An entry that every player has at the same index, whatever its playlist.
    if (const auto everywhere = PlayerAnswer().indexFor(description)) {
        switchToIndex(*everywhere);
        return;
    }
    if (!begin())
        return;
    m_description = description;
    for (int player = 0; player < m_players.size(); ++player)
        m_toAsk.append(player);
    askNext();
}

void ParallelSwitch::abort()
{
    m_aborted = true;
    m_toAsk.clear();
    m_toSwitch.clear();
    const auto running = findChildren<PlayerExchange *>(QString(), Qt::FindDirectChildrenOnly);
    for (PlayerExchange *exchange : running) {
        exchange->abort();
        exchange->deleteLater();
    }
}

bool ParallelSwitch::begin()
{
    if (m_started)
        return false;
    m_started = true;
    m_left = m_players.size();
    if (m_left == 0)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_aborted)
                    emit finished();
            },
            Qt::QueuedConnection);
    return true;
}

// Each handler below starts what waits before it reports, and reports last: a
// receiver of done() may abort the round.

void ParallelSwitch::askNext()
{
    while (m_asking < NowPlaying::maximumLinks && !m_toAsk.isEmpty()) {
        const int player = m_toAsk.takeFirst();
        ++m_asking;
        PlayerExchange *asked = exchange(player, PlayerProtocol::playlistRequest());
        connect(asked, &PlayerExchange::answered, this,
                [this, player, asked](const QJsonObject &answer) {
                    asked->deleteLater();
                    --m_asking;
                    askNext();
                    takePlaylist(player, answer);
                });
        connect(asked, &PlayerExchange::failed, this, [this, player, asked](const QString &reason) {
            asked->deleteLater();
            --m_asking;
            askNext();
            report(player, failed(asked, reason, std::nullopt));
        });
        asked->start();
    }
}

void ParallelSwitch::takePlaylist(int player, const QJsonObject &json)
{
    const auto answer = PlayerAnswer::read(json);
    if (!answer) {
        SwitchOutcome outcome;
        outcome.kind = SwitchOutcome::Kind::Unclear;
        report(player, outcome);
        return;
    }
    const auto index = answer->indexFor(m_description);
    if (!index) {
        SwitchOutcome outcome;
        outcome.kind = SwitchOutcome::Kind::NoSuchVideo;
        outcome.playing = PlayerAnswer::Playing {answer->activeIndex, answer->playingDescription()};
        report(player, outcome);
        return;
    }
    m_toSwitch.append({player, *index});
    switchNext();
}

void ParallelSwitch::switchNext()
{
    while (m_switching < maximumSwitchLinks && !m_toSwitch.isEmpty()) {
        const int player = m_toSwitch.constFirst().first;
        const quint16 index = m_toSwitch.takeFirst().second;
        ++m_switching;
        emit switching(player, index);
        if (m_aborted)
            return;
        PlayerExchange *told = exchange(player, PlayerProtocol::switchCommand(index));
        connect(told, &PlayerExchange::answered, this,
                [this, player, index, told](const QJsonObject &answer) {
                    told->deleteLater();
                    --m_switching;
                    switchNext();
                    report(player, SwitchOutcome::fromAnswer(index, answer));
                });
        connect(told, &PlayerExchange::failed, this,
                [this, player, index, told](const QString &reason) {
                    told->deleteLater();
                    --m_switching;
                    switchNext();
                    report(player, failed(told, reason, index));
                });
        told->start();
    }
}

void ParallelSwitch::report(int player, const SwitchOutcome &outcome)
{
    if (m_aborted)
        return;
    --m_left;
    emit done(player, outcome);
    if (m_left == 0 && !m_aborted)
        emit finished();
}

SwitchOutcome ParallelSwitch::failed(const PlayerExchange *exchange, const QString &reason,
                                     std::optional<quint16> index)
{
    SwitchOutcome outcome;
    outcome.index = index;
    outcome.reason = reason;
    switch (exchange->failure()) {
    case PlayerExchange::Failure::Silent:
    case PlayerExchange::Failure::Closed:
        outcome.kind = SwitchOutcome::Kind::NotAnswering;
        break;
    case PlayerExchange::Failure::Oversized:
        outcome.kind = SwitchOutcome::Kind::Unclear;
        break;
    case PlayerExchange::Failure::Refused:
    case PlayerExchange::Failure::NotFound:
    case PlayerExchange::Failure::Unreachable:
        outcome.kind = SwitchOutcome::Kind::Unreachable;
        break;
    }
    return outcome;
}

PlayerExchange *ParallelSwitch::exchange(int player, const QByteArray &command)
{
    const PlayerAddress &target = m_players.at(player);
    return new PlayerExchange(QHostAddress(target.address), target.port, command, m_deadline, this);
}

#include "moc_parallelswitch.cpp"
