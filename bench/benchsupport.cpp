#include "benchsupport.h"

#include "playerprotocol.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace Bench {

bool smoke()
{
    return QCoreApplication::arguments().contains(QStringLiteral("--smoke"));
}

bool insideNetns()
{
    return qEnvironmentVariable("QUINTAVO_NETNS") == QLatin1String("1");
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

double medianOf(int repetitions, const std::function<double()> &run)
{
    QVector<double> figures;
    for (int i = 0; i < repetitions; ++i)
        figures.append(run());
    return median(figures);
}

namespace {

const QString launchedVariable = QStringLiteral("QUINTAVO_BENCH_LAUNCHED_NS");

qint64 bootTimeNs()
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

QProcessEnvironment launchEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(launchedVariable, QString::number(bootTimeNs()));
    return environment;
}

double processAgeMs()
{
    bool launched = false;
    const qint64 launchNs
        = qEnvironmentVariable(qPrintable(launchedVariable)).toLongLong(&launched);
    return launched ? (bootTimeNs() - launchNs) / 1e6 : -1;
}

QByteArray playlistReply(int videos)
{
    QJsonArray list;
    for (int i = 1; i <= videos; ++i) {
        list.append(QJsonObject {
            {QStringLiteral("description"), QStringLiteral("Harbour walk, part %1").arg(i)},
            {QStringLiteral("duration"), 60 + (i * 37) % 3600},
            {QStringLiteral("exists"), i % 7 != 0},
        });
    }
    const QJsonObject reply {{QStringLiteral("activeIndex"), 1},
                             {QStringLiteral("quintavo"), list}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\0';
}

void printSkipped(const QString &benchmark, const QString &reason)
{
    std::printf("%s\t-\t-\t-\t-\tskipped: %s\n", qPrintable(benchmark), qPrintable(reason));
    std::fflush(stdout);
}

void printRow(const QString &benchmark, double figure, double reference, const QString &unit,
              Goal goal, double limit)
{
    const auto number = [&](double value) {
        const int decimals = value == std::floor(value) ? 0 : qAbs(value) < 10 ? 2 : 1;
        return QString::number(value, 'f', decimals) + QLatin1Char(' ') + unit;
    };
    const double ratio = reference > 0 ? figure / reference : -1;
    QString goalText = QStringLiteral("-");
    bool met = true;
    switch (goal) {
    case Goal::None:
        break;
    case Goal::RatioAtMost:
        goalText = QStringLiteral("ratio <= %1x").arg(limit);
        met = ratio >= 0 && ratio <= limit;
        break;
    case Goal::FigureBelow:
        goalText = QStringLiteral("< %1 %2").arg(limit).arg(unit);
        met = figure < limit;
        break;
    case Goal::FigureAtMost:
        goalText = QStringLiteral("<= %1 %2").arg(limit).arg(unit);
        met = figure <= limit;
        break;
    case Goal::FigureAtLeast:
        goalText = QStringLiteral(">= %1 %2").arg(limit).arg(unit);
        met = figure >= limit;
        break;
    }
    const QString verdict = smoke() ? QStringLiteral("smoke")
        : goal == Goal::None        ? QStringLiteral("-")
        : met                       ? QStringLiteral("pass")
                                    : QStringLiteral("FAIL");
    const QString ratioText
        = ratio >= 0 ? QString::number(ratio, 'f', 2) + QLatin1Char('x') : QStringLiteral("-");
    std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", qPrintable(benchmark), qPrintable(number(figure)),
                qPrintable(number(reference)), qPrintable(ratioText), qPrintable(goalText),
                qPrintable(verdict));
    std::fflush(stdout);
}

qint64 threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

const QString SwitchingCrowd::evening = QStringLiteral("Evening loop");

namespace {

QByteArray crowdPlaylist(int i, int videos)
{
    QJsonArray list;
    for (int k = 1; k <= videos; ++k)
        list.append(
            QJsonObject {{QStringLiteral("description"),
                          k == 1 + i % videos ? SwitchingCrowd::evening
                                              : QStringLiteral("Harbour walk, part %1").arg(k)},
                         {QStringLiteral("duration"), 60 + k},
                         {QStringLiteral("exists"), true}});
    return QJsonDocument(
               QJsonObject {{QStringLiteral("activeIndex"), 0}, {QStringLiteral("quintavo"), list}})
               .toJson(QJsonDocument::Compact)
        + '\0';
}

} // namespace

SwitchingCrowd::SwitchingCrowd(int count, int videos)
{
    m_host.moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        &m_host,
        [this, count, videos] {
            for (int i = 0; i < count; ++i) {
                auto *player = new ScriptedPlayer(&m_host);
                const QByteArray playlist = crowdPlaylist(i, videos);
                QObject::connect(
                    player, &ScriptedPlayer::commandReceived, player, [player, playlist](int link) {
                        const QByteArray command = player->received(link);
                        const auto index = PlayerProtocol::parseSwitchCommand(command.chopped(1));
                        player->reply(link,
                                      index ? "{\"activeIndex\":" + QByteArray::number(*index) + "}"
                                              + '\0'
                                            : playlist);
                    });
                targets.append({QStringLiteral("127.0.0.1"), player->commandPort()});
            }
        },
        Qt::BlockingQueuedConnection);
}

SwitchingCrowd::~SwitchingCrowd()
{
    QMetaObject::invokeMethod(
        &m_host, [this] { qDeleteAll(m_host.children()); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace Bench
