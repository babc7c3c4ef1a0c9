// The hub on loopback under a hostile network: a flood of links whose records
// promise more than arrives and players that come and go over many scans.
// Throughout, the event loop keeps answering, memory stays bounded, real
// players that register meanwhile are listed, and the player objects on
// screen live while the ones let go are deleted. Counts and durations are
// bounded.
#include "client.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "stallmeter.h"
#include "support.h"

#include <QPointer>
#include <QtTest>

#include <memory>

namespace {

constexpr double stallLimitMs = 50;
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
constexpr int floodSize = 150;
// Fewer places than the flood has links, so that displacement is tested.
constexpr int pendingPlaces = 64;
const QStringList realPlayers {"real-1", "real-2", "real-3"};
// Loopback's broadcast address: every player on the shared port hears it.
const QHostAddress everyPlayer(QStringLiteral("127.255.255.255"));

// A record that registers a player the test will not command. Each gets a
// command port of its own: players are told apart by address and port.
QByteArray record(const QString &name)
{
    static QHash<QString, quint16> ports;
    const quint16 port = ports.value(name, quint16(9000 + ports.size()));
    ports.insert(name, port);
    return PlayerProtocol::encodeRegistrationRecord({port, QStringLiteral("127.0.0.3"), name});
}

// Opens count registration links from crowd spread evenly over durationMs,
// each answering its greeting with record.
void openOver(ScriptedPlayer &crowd, quint16 hubPort, int count, int durationMs,
              const QByteArray &record = {})
{
    QElapsedTimer clock;
    clock.start();
    for (int opened = 0; opened < count;) {
        const qint64 due = std::min<qint64>(count, clock.elapsed() * count / durationMs + 1);
        for (; opened < due; ++opened)
            crowd.registerWith(hubPort, record);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

class tst_HostileNetwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void connectionFlood();
    void playersComeAndGo();

private:
    bool realPlayersListed() const;
    // Whether the directory shows passer-N as answering.
    bool answering(int passer) const;

    QList<ScriptedPlayer *> m_players;
    std::unique_ptr<NetworkMessenger> m_hub;
    StallMeter m_stall;
};

void tst_HostileNetwork::initTestCase()
{
    quint16 scanPort = 0;
    for (const QString &name : realPlayers) {
        auto *player = new ScriptedPlayer(this);
        QVERIFY(player->hearScans(scanPort, record(name)));
        scanPort = player->scanPort();
        m_players.append(player);
    }
    HubSettings settings = Support::loopbackHub(scanPort);
    settings.scanTargets = QList<QHostAddress> {everyPlayer};
    // Every round's verdict comes at once, before any player can answer: each
    // scan has its own round, and a player that answered one scan and not the
    // next is judged by the next. No datagrams to players' own addresses,
    // which would register them twice.
    settings.answerDeadline = 0;
    settings.directAfter = 3600 * 1000;
    settings.pendingPlaces = pendingPlaces;
    m_hub = std::make_unique<NetworkMessenger>(settings);
    QVERIFY(Support::waitFor([this] { return realPlayersListed(); }));
}

void tst_HostileNetwork::init()
{
    m_stall.start();
}

// Checked after every case: the loop answered, memory stayed bounded, and the
// real players still get listed.
void tst_HostileNetwork::cleanup()
{
    const double stall = m_stall.worstMs();
    const qint64 peak = Support::procField("status", "VmHWM");
    qInfo("longest stall %.1f ms, peak memory %lld KiB", stall, peak);
    if (!sanitized) {
        QVERIFY2(stall < stallLimitMs, qPrintable(QString::number(stall)));
        QVERIFY(peak < peakLimitKiB);
    }
    m_hub->scanForClients();
    QVERIFY(Support::waitFor([this] { return realPlayersListed(); }));
}

void tst_HostileNetwork::cleanupTestCase()
{
    m_stall.stop();
    m_hub.reset();
}

bool tst_HostileNetwork::realPlayersListed() const
{
    QStringList names;
    for (QObject *client : m_hub->clients())
        names.append(static_cast<Client *>(client)->hostname());
    return std::all_of(realPlayers.cbegin(), realPlayers.cend(),
                       [&](const QString &name) { return names.contains(name); });
}

bool tst_HostileNetwork::answering(int passer) const
{
    const PlayerDirectory *directory = m_hub->directory();
    for (int row = 0; row < directory->rowCount(); ++row) {
        const QModelIndex index = directory->index(row);
        if (index.data(PlayerDirectory::HostnameRole) == QStringLiteral("passer-%1").arg(passer))
            return index.data(PlayerDirectory::AnsweringRole).toBool();
    }
    return false;
}

void tst_HostileNetwork::connectionFlood()
{
    // Each link answers the greeting with a record whose address length
    // promises 255 bytes, of which 20 come.
    QByteArray promise = record(QStringLiteral("promise")).left(7) + QByteArray(20, '1');
    promise[6] = char(255);
    ScriptedPlayer crowd;
    QTimer::singleShot(floodSize / 2, this, [this] { m_hub->scanForClients(); });
    openOver(crowd, m_hub->hubPort(), floodSize, floodSize, promise);
    QVERIFY(Support::waitFor([this] { return realPlayersListed(); }));

    // Every link was greeted; the hub holds no more than its cap of them, and
    // lists none. Their deadline is 30 s: half a second on, it still holds them.
    QVERIFY(Support::waitFor([&] { return crowd.greeted() == floodSize; }));
    QVERIFY(Support::waitFor([&] { return crowd.held() <= pendingPlaces; }));
    QCOMPARE(m_hub->clients().size(), realPlayers.size());
    Support::waitFor([] { return false; }, 500);
    QCOMPARE(crowd.held(), pendingPlaces);
}

void tst_HostileNetwork::playersComeAndGo()
{
    // Each scan a player appears that never answers again: its row stays,
    // dimmed, but its object goes once its round's verdict is in. A list read
    // before a scan still points at live players through that scan.
    ScriptedPlayer passers;
    QList<QPointer<QObject>> seen;
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        const QList<QObject *> list = m_hub->clients();
        const QList<QPointer<QObject>> shown(list.cbegin(), list.cend());
        seen += shown;
        m_hub->scanForClients();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The list read before outlives the scan that emptied the hub's.
        for (const QPointer<QObject> &client : shown)
            QVERIFY2(client, "a player of the list read before was deleted");
        passers.registerWith(m_hub->hubPort(), record(QStringLiteral("passer-%1").arg(round)));
        QVERIFY(Support::waitFor([&] {
            return realPlayersListed() && m_hub->clients().size() == realPlayers.size() + 1;
        }));
        // The previous passer is not answering once this round is judged.
        QVERIFY(Support::waitFor([&] { return round == 0 || !answering(round - 1); }));
    }

    // Those no list holds any more are gone: the real ones and the newest
    // passer, each in the list and in the one read before at most.
    Support::waitFor([] { return false; }, 10);
    QSet<QObject *> alive;
    for (const QPointer<QObject> &client : qAsConst(seen))
        if (client)
            alive.insert(client);
    QVERIFY2(alive.size() <= 2 * (realPlayers.size() + 1) + 1,
             qPrintable(QString::number(alive.size())));
}

QTEST_GUILESS_MAIN(tst_HostileNetwork)
#include "tst_hostilenetwork.moc"
