#include "playingschedule.h"

#include <QTimer>

#include <algorithm>

PlayingSchedule::PlayingSchedule(PlayerDirectory *directory, NowPlaying *nowPlaying,
                                 QObject *parent)
    : QObject(parent), m_directory(directory), m_nowPlaying(nowPlaying), m_refresh(new QTimer(this))
{
    m_clock.start();
    connect(m_refresh, &QTimer::timeout, this, &PlayingSchedule::refreshRowsInView);
    connect(
        m_nowPlaying, &NowPlaying::answered, this,
        [this](const PlayerAddress &player, const std::optional<PlayerAnswer::Playing> &playing) {
            // An answer that does not say what plays leaves the row as it was.
            if (playing)
                m_directory->setPlaying(player, playing);
        });
    connect(m_nowPlaying, &NowPlaying::unanswered, this,
            [this](const PlayerAddress &player) { m_directory->setPlaying(player, std::nullopt); });
    // What a new player plays shows as soon as it says.
    connect(directory, &PlayerDirectory::playerAppeared, this, &PlayingSchedule::ask);
    connect(directory, &PlayerDirectory::playerLeft, this, [this](const PlayerAddress &player) {
        m_askedAt.remove(player);
        m_nowPlaying->forget(player);
    });
    connect(directory, &PlayerDirectory::rowsInViewChanged, this,
            &PlayingSchedule::rowsInViewChanged);
}

PlayingSchedule::~PlayingSchedule() = default;

void PlayingSchedule::setPace(const Pace &pace)
{
    m_pace = pace;
    m_pace.checkInterval = std::min(pace.checkInterval, pace.refreshInterval);
    m_nowPlaying->setDeadline(pace.deadline);
    if (m_refresh->isActive())
        m_refresh->start(m_pace.checkInterval);
}

void PlayingSchedule::switched(const PlayerAddress &player)
{
    QTimer::singleShot(m_pace.afterSwitch, this, [this, player] {
        if (m_askedAt.contains(player))
            ask(player);
    });
}

void PlayingSchedule::rowsInViewChanged()
{
    if (!m_directory->hasRowsInView()) {
        m_refresh->stop();
        return;
    }
    if (!m_refresh->isActive())
        m_refresh->start(m_pace.checkInterval);
    refreshRowsInView();
}

void PlayingSchedule::refreshRowsInView()
{
    const QVector<PlayerAddress> inView = m_directory->playersInView();
    for (const PlayerAddress &player : inView) {
        const qint64 askedAt = m_askedAt.value(player, -1);
        if (askedAt < 0 || m_clock.elapsed() - askedAt >= m_pace.refreshInterval)
            ask(player);
    }
}

void PlayingSchedule::ask(const PlayerAddress &player)
{
    m_askedAt.insert(player, m_clock.elapsed());
    m_nowPlaying->ask(player);
}

#include "moc_playingschedule.cpp"
