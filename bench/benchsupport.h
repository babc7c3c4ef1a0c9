// What the benchmarks share: medians of repeated runs, the event loop's worst
// stall, the process's memory and age, a scripted player that registers with a
// hub, a playlist reply of realistic shape, and one row of the results table.
#pragma once

#include "hubsettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <optional>

class QTcpSocket;

namespace Bench {

// True when the program runs its short pass (--smoke): small counts, few runs.
bool smoke();
// Whether the program runs inside the private network namespace of scripts/netns-run.
bool insideNetns();

double median(QVector<double> values);
// Repeats run (which returns one figure) and gives the median.
double medianOf(int repetitions, const std::function<double()> &run);

// A field of /proc/self/status in KiB, e.g. "VmRSS" or "VmHWM".
qint64 statusKiB(const char *field);
// Milliseconds since the kernel started this process (10 ms steps).
double processAgeMs();

// Pumps the event loop until done() holds; false when timeoutMs passed first.
bool waitFor(const std::function<bool()> &done, int timeoutMs);

// Hub settings on loopback: any free hub port, datagrams to discoveryPort on
// 127.0.0.1, and an update service that refuses at once.
HubSettings loopbackHub(quint16 discoveryPort);

// A reply of videos with description, duration and exists, and its 0x00.
QByteArray playlistReply(int videos);

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

// The longest lateness of a repeating 1 ms timer while it runs: how long the
// event loop was kept from answering.
class StallMeter : public QObject
{
    Q_OBJECT

public:
    explicit StallMeter(QObject *parent = nullptr);
    void start();
    // Worst lateness so far, in ms.
    double worstMs() const;
    void stop();

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worstNs = 0;
};

// The registration side of a player, scripted: connects to a hub, waits for the
// greeting and answers with its record. It can also hear discovery datagrams on
// a shared UDP port; each one names a hub, announced with invited(), which
// registers with that hub unless the player is told otherwise.
class ScriptedPlayer : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedPlayer(QByteArray record, QObject *parent = nullptr);

    // Hears datagrams on this UDP port (shared with other players); 0 picks one.
    // Without answerAtOnce, only invited() follows a datagram.
    bool listen(quint16 discoveryPort, bool answerAtOnce = true);
    quint16 discoveryPort() const;

    void registerWith(const QHostAddress &hub, quint16 port);
    void drop();
    // No registration link open.
    bool idle() const;

signals:
    void invited(const QHostAddress &hub, quint16 port);
    void recordSent();
    // The registration link is gone (closed by the hub, or refused).
    void linkClosed();

private:
    void readDatagrams();
    void readGreeting();

    QByteArray m_record;
    QTcpSocket *m_link;
    class QUdpSocket *m_discovery = nullptr;
    QByteArray m_greeting;
};

// The command side of a player, scripted: takes command links on a loopback
// port and hands over each link once a whole command (up to its 0x00) arrived.
class CommandPlayer : public QObject
{
    Q_OBJECT

public:
    CommandPlayer();
    quint16 port() const;

signals:
    void commandReceived(QTcpSocket *link, const QByteArray &command);

private:
    class QTcpServer *m_server;
};
