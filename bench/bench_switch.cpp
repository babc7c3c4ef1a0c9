// Several players switched at once: 50 players on loopback, in a thread of
// their own, each with a playlist of 30 videos that holds "Evening loop" at
// an index of its own. Played by description through ParallelSwitch (each
// playlist asked, four at a time, then each player its own switch): the time
// from the start to the last answer, and the GUI thread's processor time in
// that span. Reference: the same players switched to one index, which asks
// no playlist.
#include "benchsupport.h"
#include "parallelswitch.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

const QString &evening = Bench::SwitchingCrowd::evening;
// False once a round did not switch every player; the program then fails.
bool complete = true;

struct Round
{
    double ms = -1;
    double cpuMs = -1;
};

// One round: by description, or to index 0.
Round play(const QList<PlayerAddress> &targets, bool byDescription)
{
    ParallelSwitch parallel(targets);
    int switched = 0;
    bool over = false;
    QObject::connect(&parallel, &ParallelSwitch::done,
                     [&](int, const SwitchOutcome &outcome) { switched += outcome.switched(); });
    QObject::connect(&parallel, &ParallelSwitch::finished, [&] { over = true; });
    QElapsedTimer clock;
    const qint64 cpu = Bench::threadCpuNs();
    clock.start();
    if (byDescription)
        parallel.switchToVideo(evening);
    else
        parallel.switchToIndex(0);
    Support::waitFor([&] { return over; }, 10000);
    Round round {clock.nsecsElapsed() / 1e6, (Bench::threadCpuNs() - cpu) / 1e6};
    if (switched != targets.size()) {
        std::fprintf(stderr, "bench_switch: %d of %d players switched\n", switched,
                     int(targets.size()));
        complete = false;
    }
    return round;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int players = Bench::smoke() ? 5 : 50;
    const int repetitions = Bench::smoke() ? 1 : 9;
    Bench::SwitchingCrowd crowd(players);
    play(crowd.targets, true); // warm-up

    QVector<double> times, cpu, indexTimes, indexCpu;
    for (int i = 0; i < repetitions; ++i) {
        const Round byDescription = play(crowd.targets, true);
        const Round byIndex = play(crowd.targets, false);
        times.append(byDescription.ms);
        cpu.append(byDescription.cpuMs);
        indexTimes.append(byIndex.ms);
        indexCpu.append(byIndex.cpuMs);
    }
    Bench::printRow(QStringLiteral("%1 players, Play one entry by description: start to last "
                                   "answer (vs to one index)")
                        .arg(players),
                    Bench::median(times), Bench::median(indexTimes), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 1000);
    Bench::printRow(QStringLiteral("%1 players, Play one entry by description: GUI busy time "
                                   "(vs to one index)")
                        .arg(players),
                    Bench::median(cpu), Bench::median(indexCpu), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 20);
    return complete ? 0 : 1;
}
