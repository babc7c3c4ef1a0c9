// What the benchmarks share besides the tests' support (the scripted player,
// the hub on loopback, waits, stalls and memory): medians of repeated runs, the
// age of a process launched for a measurement, a playlist reply of realistic shape, and one row of
// the results table.
#pragma once

#include "playeraddress.h"
#include "scriptedplayer.h"
#include "stallmeter.h"
#include "support.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QThread>
#include <QVector>

#include <functional>

namespace Bench {

// True when the program runs its short pass (--smoke): small counts, few runs.
bool smoke();
// Whether the program runs inside the private network namespace of scripts/netns-run.
bool insideNetns();

double median(QVector<double> values);
// Repeats run (which returns one figure) and gives the median.
double medianOf(int repetitions, const std::function<double()> &run);

// Milliseconds since the benchmark that launched this process with
// launchEnvironment() started it (fork and exec included), or -1.
double processAgeMs();
// The environment for a process whose age processAgeMs() is to count from now.
QProcessEnvironment launchEnvironment();

// A reply of videos with description, duration and exists, and its 0x00.
QByteArray playlistReply(int videos);

// The GUI thread's processor time, in ns.
qint64 threadCpuNs();

// Players on loopback that answer every command at once, in a thread of
// their own so that the GUI thread's time is the engine's alone: player i's
// playlist holds `videos` videos, "Evening loop" (evening) at 1 + i % videos;
// to a switch it answers that it plays the index it was told.
class SwitchingCrowd
{
public:
    static const QString evening;

    explicit SwitchingCrowd(int count, int videos = 30);
    ~SwitchingCrowd();

    // Address text and command port of each player.
    QList<PlayerAddress> targets;

private:
    QThread m_thread;
    QObject m_host;
};

enum class Goal {
    None, // figure and reference only
    RatioAtMost, // figure / reference <= limit
    FigureBelow, // figure < limit (in the row's unit)
    FigureAtMost, // figure <= limit
    FigureAtLeast, // figure >= limit
};

// A row for a case that could not run here, with the reason in the verdict.
void printSkipped(const QString &benchmark, const QString &reason);

// Prints one tab-separated row: benchmark, figure, reference, ratio, goal, verdict.
// In the short pass the verdict is "smoke": its figures are not judged.
void printRow(const QString &benchmark, double figure, double reference, const QString &unit,
              Goal goal = Goal::None, double limit = 0);

} // namespace Bench
