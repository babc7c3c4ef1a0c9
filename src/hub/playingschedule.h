// When the list's players are asked what they play: as a player appears,
// again shortly after the window switched it, and otherwise at most once per
// refreshInterval while its row is in view. The asking is NowPlaying's; what
// a player says goes back to the directory through one call,
// PlayerDirectory::setPlaying.
#pragma once

#include "nowplaying.h"
#include "playerdirectory.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTimer;

class PlayingSchedule : public QObject
{
    Q_OBJECT

public:
    // How often the players of the rows in view are asked what they play,
    // how often that is looked at, and how long after a switch the player
    // is asked (it may take a moment to switch).
    struct Pace
    {
        int refreshInterval = 60000;
        int checkInterval = 5000;
        int afterSwitch = 500;
        int deadline = NowPlaying::defaultDeadline;
    };

    // Asks through nowPlaying, which others may share (it is not owned).
    PlayingSchedule(PlayerDirectory *directory, NowPlaying *nowPlaying, QObject *parent = nullptr);
    ~PlayingSchedule() override;

    void setPace(const Pace &pace);
    // The window sent the player a switch; its row will follow.
    void switched(const PlayerAddress &player);

private:
    void rowsInViewChanged();
    void refreshRowsInView();
    void ask(const PlayerAddress &player);

    PlayerDirectory *m_directory;
    NowPlaying *m_nowPlaying;
    Pace m_pace;
    QTimer *m_refresh;
    QElapsedTimer m_clock;
    // When each listed player was last asked, on m_clock.
    QHash<PlayerAddress, qint64> m_askedAt;
};
