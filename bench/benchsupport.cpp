#include "benchsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <unistd.h>

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

double processAgeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // Field 22, start time in clock ticks since boot; the command name (field 2)
    // may hold blanks, so count from its closing parenthesis.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startMs = fields.value(22 - 3).toDouble() * 1000.0 / sysconf(_SC_CLK_TCK);
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - startMs;
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

} // namespace Bench
