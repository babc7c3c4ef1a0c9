// The hub on loopback under a hostile network: a connection flood, links that
// trickle one byte a second, a player whose reply never ends, records whose
// length bytes promise more than arrives, and junk datagrams. Throughout, the
// event loop keeps answering, memory stays bounded and real players that
// register meanwhile are listed. Counts and durations are bounded.
#include "benchsupport.h"
#include "client.h"
#include "discoverylistener.h"
#include "logcapture.h"
#include "networkmessenger.h"
#include "playerprotocol.h"
#include "simulatedplayer.h"
#include "testhttpserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <sys/resource.h>

#include <memory>

namespace {

constexpr qint64 stallLimitMs = 50;
constexpr qint64 peakLimitKiB = 150 * 1024;
// AddressSanitizer's quarantine holds freed memory back and its checks slow
// every read: under it the limits above say nothing, and are only reported.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer);
#else
constexpr bool sanitized = false;
#endif
const QStringList realPlayers {"real-1", "real-2", "real-3"};

// The event loop runs until done() holds, at most timeoutMs. Unlike QTRY_*,
// which sleep between looks, it never keeps the loop from answering, so the
// stalls measured are the hub's own.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    return Bench::waitFor(done, timeoutMs);
}

} // namespace

// Connections to the hub that the test opens and then scripts.
class Crowd : public QObject
{
public:
    explicit Crowd(quint16 hubPort) : m_hubPort(hubPort) { }

    QTcpSocket *open()
    {
        auto *link = new QTcpSocket(this);
        m_links.append(link);
        connect(link, &QTcpSocket::readyRead, this, [this, link] {
            if (link->bytesAvailable() >= PlayerProtocol::greeting().size())
                m_greeted.insert(link);
        });
        link->connectToHost(QHostAddress::LocalHost, m_hubPort);
        return link;
    }

    // Opens count links spread evenly over durationMs.
    void openOver(int count, int durationMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_links.size() < count) {
            const qint64 due = std::min<qint64>(count, clock.elapsed() * count / durationMs + 1);
            while (m_links.size() < due)
                open();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

    const QList<QTcpSocket *> &links() const { return m_links; }
    int greeted() const { return m_greeted.size(); }
    // Greeted links that the hub still holds open.
    int held() const
    {
        return std::count_if(m_greeted.cbegin(), m_greeted.cend(), [](QTcpSocket *link) {
            return link->state() == QAbstractSocket::ConnectedState;
        });
    }

private:
    quint16 m_hubPort;
    QList<QTcpSocket *> m_links;
    QSet<QTcpSocket *> m_greeted;
};

class tst_HostileNetwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void connectionFlood();
    void oneByteASecond();
    void endlessReply();
    void recordsThatPromiseMore();
    void junkDatagrams();

private:
    bool realPlayersListed() const;
    void scanAndExpectRealPlayers();
    void stall();

    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<TestHttpServer> m_updates;
    std::unique_ptr<DiscoveryListener> m_discovery;
    QList<SimulatedPlayer *> m_players;
    std::unique_ptr<NetworkMessenger> m_hub;
    quint16 m_hubUdpPort = 0; // where the hub's datagrams come from
    rlim_t m_descriptorLimit = 0;

    QTimer m_ticker; // 1 ms; its lateness is the event loop's stall
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    qint64 m_worstStallMs = 0;
};

void tst_HostileNetwork::initTestCase()
{
    // A thousand links on our side and the hub's: more than a default soft limit.
    rlimit files {};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &files), 0);
    if (files.rlim_cur < files.rlim_max) {
        const rlim_t before = files.rlim_cur;
        files.rlim_cur = files.rlim_max;
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &files), 0);
        qInfo("descriptor limit raised from %llu to %llu", qulonglong(before),
              qulonglong(files.rlim_cur));
    }
    m_descriptorLimit = files.rlim_cur;

    m_log = std::make_unique<LogCapture>();
    m_updates = std::make_unique<TestHttpServer>(404);
    m_discovery = std::make_unique<DiscoveryListener>();
    QString error;
    QVERIFY2(m_discovery->bind(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    connect(m_discovery.get(), &DiscoveryListener::datagramReceived, this,
            [this](const QByteArray &, const QHostAddress &, quint16 senderPort) {
                m_hubUdpPort = senderPort;
            });
    for (const QString &name : realPlayers) {
        auto *player = new SimulatedPlayer(name, Playlist::demo(), 0, PlayerBehaviour(), this);
        QVERIFY2(player->start(QHostAddress::LocalHost, 0, &error), qPrintable(error));
        connect(m_discovery.get(), &DiscoveryListener::datagramReceived, player,
                &SimulatedPlayer::handleDatagram);
        m_players.append(player);
    }

    HubSettings settings;
    settings.discoveryPort = m_discovery->port();
    settings.hubPort = 0;
    settings.listenAddress = QHostAddress(QHostAddress::LocalHost);
    settings.scanTargets = QList<QHostAddress> {QHostAddress(QHostAddress::LocalHost)};
    settings.updateUrl = m_updates->url(QStringLiteral("/qarn/update.php"));
    m_hub = std::make_unique<NetworkMessenger>(settings);
    QVERIFY(waitUntil([this] { return realPlayersListed(); }));
    QVERIFY(m_hubUdpPort != 0);

    m_ticker.setTimerType(Qt::PreciseTimer);
    m_ticker.setInterval(1);
    connect(&m_ticker, &QTimer::timeout, this, &tst_HostileNetwork::stall);
    m_clock.start();
    m_ticker.start();
}

void tst_HostileNetwork::init()
{
    m_lastTick = m_clock.elapsed();
    m_worstStallMs = 0;
}

void tst_HostileNetwork::stall()
{
    const qint64 now = m_clock.elapsed();
    m_worstStallMs = std::max(m_worstStallMs, now - m_lastTick - 1);
    m_lastTick = now;
}

// Checked after every case: the loop answered, memory stayed bounded, and the
// real players still get listed.
void tst_HostileNetwork::cleanup()
{
    stall();
    qInfo("longest stall %lld ms, peak memory %lld KiB", m_worstStallMs, Bench::statusKiB("VmHWM"));
    if (!sanitized) {
        QVERIFY2(m_worstStallMs < stallLimitMs, qPrintable(QString::number(m_worstStallMs)));
        QVERIFY(Bench::statusKiB("VmHWM") < peakLimitKiB);
    }
    scanAndExpectRealPlayers();
}

void tst_HostileNetwork::cleanupTestCase()
{
    m_ticker.stop();
    m_hub.reset();
    m_log.reset();
}

bool tst_HostileNetwork::realPlayersListed() const
{
    QStringList names;
    for (QObject *client : m_hub->clients())
        names.append(static_cast<Client *>(client)->hostname());
    return std::all_of(realPlayers.cbegin(), realPlayers.cend(),
                       [&](const QString &name) { return names.contains(name); });
}

void tst_HostileNetwork::scanAndExpectRealPlayers()
{
    m_hub->scanForClients();
    QVERIFY(waitUntil([this] { return realPlayersListed(); }));
}

void tst_HostileNetwork::connectionFlood()
{
    if (m_descriptorLimit < 1500)
        QSKIP("the descriptor limit is below 1500 and cannot be raised");
    Crowd crowd(m_hub->hubPort());
    QTimer::singleShot(1000, this, [this] { m_hub->scanForClients(); });
    crowd.openOver(1000, 2000);
    QVERIFY(realPlayersListed());

    // Every link was greeted; the hub holds no more than its cap of them.
    QVERIFY(waitUntil([&] { return crowd.greeted() == 1000; }));
    QVERIFY(
        waitUntil([&] { return crowd.held() <= NetworkMessenger::maximumPendingRegistrations; }));
    QCOMPARE(m_hub->clients().size(), realPlayers.size());
}

void tst_HostileNetwork::oneByteASecond()
{
    Crowd crowd(m_hub->hubPort());
    crowd.openOver(100, 200);
    QVERIFY(waitUntil([&] { return crowd.greeted() == 100; }));
    const QByteArray record = PlayerProtocol::encodeRegistrationRecord(
        {9000, QStringLiteral("127.0.0.9"), QStringLiteral("drip")});
    for (int second = 0; second < 5; ++second) {
        for (QTcpSocket *link : crowd.links())
            link->write(record.mid(second, 1));
        if (second == 2)
            scanAndExpectRealPlayers();
        waitUntil([] { return false; }, 1000);
    }
    QVERIFY(crowd.held() <= NetworkMessenger::maximumPendingRegistrations);
    QVERIFY(crowd.held() > 0); // the deadline is 30 s: the newest still wait
}

void tst_HostileNetwork::endlessReply()
{
    // A player on its own loopback address, so that opening it is unambiguous.
    // What the streaming lambdas use outlives the server and its links.
    constexpr qint64 stream = 64 * 1024 * 1024;
    const QByteArray opening = R"({"quintavo":")";
    const QByteArray chunk(64 * 1024, 'x');
    qint64 sent = 0;
    bool dropped = false;
    QTcpServer player;
    QVERIFY(player.listen(QHostAddress(QStringLiteral("127.0.0.2"))));
    connect(&player, &QTcpServer::newConnection, &player, [&] {
        QTcpSocket *link = player.nextPendingConnection();
        const auto more = [&, link] {
            while (sent < stream && link->bytesToWrite() < 1024 * 1024
                   && link->state() == QAbstractSocket::ConnectedState) {
                const QByteArray &bytes = sent == 0 ? opening : chunk;
                link->write(bytes);
                sent += bytes.size();
            }
        };
        connect(link, &QTcpSocket::bytesWritten, link, more);
        connect(link, &QTcpSocket::disconnected, link, [&] { dropped = true; });
        more();
    });

    Crowd registration(m_hub->hubPort());
    QTcpSocket *link = registration.open();
    QVERIFY(waitUntil([&] { return registration.greeted() == 1; }));
    link->write(PlayerProtocol::encodeRegistrationRecord(
        {player.serverPort(), QStringLiteral("127.0.0.2"), QStringLiteral("endless")}));
    QVERIFY(waitUntil([&] { return m_hub->clients().size() > realPlayers.size(); }));
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    m_hub->queryClient(QStringLiteral("127.0.0.2"));

    QVERIFY(waitUntil([&] { return dropped; }, 20000));
    QCOMPARE(m_log->count(QStringLiteral("The reply from \"endless\" exceeds 16777216 bytes; "
                                         "dropping the link.")),
             1);
    qInfo("the link was dropped after %lld MiB of %lld", sent >> 20, stream >> 20);
    QVERIFY2(sent < stream / 2, qPrintable(QString::number(sent)));
    QCOMPARE(answers.count(), 0);
}

void tst_HostileNetwork::recordsThatPromiseMore()
{
    Crowd crowd(m_hub->hubPort());
    crowd.openOver(100, 200);
    QVERIFY(waitUntil([&] { return crowd.greeted() == 100; }));
    const QByteArray record = PlayerProtocol::encodeRegistrationRecord(
        {9000, QStringLiteral("127.0.0.9"), QStringLiteral("promise")});
    for (QTcpSocket *link : crowd.links()) {
        QByteArray bytes = record.left(7);
        bytes[6] = char(255); // an address of 255 bytes, of which 20 come
        link->write(bytes + QByteArray(20, '1'));
    }
    // The oldest are dropped as newer ones come; none is ever listed.
    QVERIFY(
        waitUntil([&] { return crowd.held() <= NetworkMessenger::maximumPendingRegistrations; }));
    scanAndExpectRealPlayers();
    QCOMPARE(m_hub->clients().size(), realPlayers.size());
}

void tst_HostileNetwork::junkDatagrams()
{
    // The hub reads no datagrams, yet its socket has a port that others can
    // send to; the players' discovery port takes junk too.
    QUdpSocket junk;
    QRandomGenerator random(0x5EED); // the same junk every run
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(i % 10 ? random.bounded(600) : PlayerProtocol::datagramSize, '\0');
        for (char &c : bytes)
            c = char(random.bounded(256));
        junk.writeDatagram(bytes, QHostAddress::LocalHost,
                           i % 2 ? m_hubUdpPort : m_discovery->port());
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    // Datagrams arrive in order: the players hear the scan after all the junk.
    scanAndExpectRealPlayers();
    QCOMPARE(m_hub->clients().size(), realPlayers.size());
}

QTEST_GUILESS_MAIN(tst_HostileNetwork)
#include "tst_hostilenetwork.moc"
