#include "benchsupport.h"

#include "playerprotocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

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

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
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

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    // Only events change what done() looks at: sleep until the next one, and
    // let a timer wake the loop when time is up.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    while (!done()) {
        if (!wake.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

HubSettings loopbackHub(quint16 discoveryPort)
{
    HubSettings settings;
    settings.discoveryPort = discoveryPort;
    settings.hubPort = 0;
    settings.listenAddress = QHostAddress(QHostAddress::LocalHost);
    settings.scanTargets = QList<QHostAddress> {QHostAddress(QHostAddress::LocalHost)};
    settings.updateUrl = QUrl(QStringLiteral("http://127.0.0.1:1/qarn/update.php"));
    return settings;
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

StallMeter::StallMeter(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
}

void StallMeter::start()
{
    m_worstNs = 0;
    m_clock.start();
    m_last = m_clock.nsecsElapsed();
    m_timer.start();
}

double StallMeter::worstMs() const
{
    return m_worstNs / 1e6;
}

void StallMeter::stop()
{
    tick();
    m_timer.stop();
}

void StallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_worstNs = std::max(m_worstNs, now - m_last - qint64(1000000));
    m_last = now;
}

ScriptedPlayer::ScriptedPlayer(QByteArray record, QObject *parent)
    : QObject(parent), m_record(std::move(record)), m_link(new QTcpSocket(this))
{
    connect(m_link, &QTcpSocket::readyRead, this, &ScriptedPlayer::readGreeting);
    connect(m_link, &QTcpSocket::disconnected, this, &ScriptedPlayer::linkClosed);
    connect(m_link, &QTcpSocket::errorOccurred, this, [this] {
        if (idle())
            emit linkClosed();
    });
}

bool ScriptedPlayer::listen(quint16 discoveryPort, bool answerAtOnce)
{
    if (answerAtOnce)
        connect(this, &ScriptedPlayer::invited, this, &ScriptedPlayer::registerWith);
    m_discovery = new QUdpSocket(this);
    connect(m_discovery, &QUdpSocket::readyRead, this, &ScriptedPlayer::readDatagrams);
    return m_discovery->bind(QHostAddress::AnyIPv4, discoveryPort,
                             QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

quint16 ScriptedPlayer::discoveryPort() const
{
    return m_discovery ? m_discovery->localPort() : 0;
}

void ScriptedPlayer::registerWith(const QHostAddress &hub, quint16 port)
{
    m_link->abort();
    m_greeting.clear();
    m_link->connectToHost(hub, port);
}

void ScriptedPlayer::drop()
{
    m_link->abort();
}

bool ScriptedPlayer::idle() const
{
    return m_link->state() == QAbstractSocket::UnconnectedState;
}

void ScriptedPlayer::readDatagrams()
{
    while (m_discovery->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_discovery->receiveDatagram();
        if (const auto port = PlayerProtocol::parseDiscoveryDatagram(datagram.data()))
            emit invited(datagram.senderAddress(), *port);
    }
}

void ScriptedPlayer::readGreeting()
{
    const int wanted = PlayerProtocol::greeting().size();
    m_greeting.append(m_link->read(wanted - m_greeting.size()));
    if (m_greeting.size() < wanted)
        return;
    m_link->readAll();
    if (m_greeting != PlayerProtocol::greeting())
        return;
    m_greeting.clear();
    m_link->write(m_record);
    emit recordSent();
}

CommandPlayer::CommandPlayer() : m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *link = m_server->nextPendingConnection()) {
            connect(link, &QTcpSocket::disconnected, link, &QObject::deleteLater);
            connect(link, &QTcpSocket::readyRead, this, [this, link] {
                if (!link->peek(link->bytesAvailable()).contains('\0'))
                    return;
                const QByteArray bytes = link->readAll();
                emit commandReceived(link, bytes.left(bytes.indexOf('\0')));
            });
        }
    });
}

quint16 CommandPlayer::port() const
{
    return m_server->serverPort();
}
