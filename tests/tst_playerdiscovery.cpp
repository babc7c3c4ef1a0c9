// Discovery on loopback, with real sockets: the datagrams of a scan and their
// targets, the scans its watch calls for, and the registration links it
// takes, whole records and broken ones, at the record's cap and far past it.
// (A hub port another program holds: e2e_desktop.)
#include "flood.h"
#include "playerdiscovery.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "support.h"

#include <QMutex>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>

using BroadcastTargets::Interface;
using Record = PlayerProtocol::RegistrationRecord;

class tst_PlayerDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scan_data();
    void scan();
    void scanDue_data();
    void scanDue();
    void registration_data();
    void registration();
    void recordFarPastItsCap();
    void incompleteRecordIsDropped_data();
    void incompleteRecordIsDropped();

private:
    DiscoverySettings settings() const { return Support::loopbackHub(m_datagrams->localPort()); }
    void start(const DiscoverySettings &settings)
    {
        m_discovery = std::make_unique<PlayerDiscovery>(settings);
        m_registered
            = std::make_unique<QSignalSpy>(m_discovery.get(), &PlayerDiscovery::registered);
    }
    Record registered(int index) const { return m_registered->at(index).at(0).value<Record>(); }
    // Whether the next datagram that arrives is the marker: none came before it.
    bool nothingMoreSent()
    {
        QUdpSocket marker;
        marker.writeDatagram("marker", QHostAddress::LocalHost, m_datagrams->localPort());
        return Support::waitFor([this] { return m_datagrams->hasPendingDatagrams(); })
            && m_datagrams->receiveDatagram().data() == "marker";
    }

    std::unique_ptr<QUdpSocket> m_datagrams; // where the datagrams of a scan arrive
    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<PlayerDiscovery> m_discovery;
    std::unique_ptr<QSignalSpy> m_registered;
};

void tst_PlayerDiscovery::init()
{
    qRegisterMetaType<Record>();
    m_datagrams = std::make_unique<QUdpSocket>();
    QVERIFY(m_datagrams->bind(QHostAddress::AnyIPv4, 0));
    m_player = std::make_unique<ScriptedPlayer>();
}

void tst_PlayerDiscovery::cleanup()
{
    m_player.reset();
    m_registered.reset();
    m_discovery.reset();
    m_datagrams.reset();
}

void tst_PlayerDiscovery::scan_data()
{
    QTest::addColumn<QStringList>("broadcast");
    QTest::addColumn<QStringList>("extra");

    QTest::newRow("every network, and extra targets, none twice")
        << QStringList {"127.0.0.1", "127.0.0.2"} << QStringList {"127.0.0.2", "127.0.0.3"};
    QTest::newRow("extra targets alone") << QStringList() << QStringList {"127.0.0.2"};
}

void tst_PlayerDiscovery::scan()
{
    QFETCH(QStringList, broadcast);
    QFETCH(QStringList, extra);

    DiscoverySettings discovery = settings();
    discovery.scanTargets = QList<QHostAddress>();
    for (const QString &address : broadcast)
        discovery.scanTargets->append(QHostAddress(address));
    for (const QString &address : extra)
        discovery.extraTargets.append(QHostAddress(address));
    start(discovery);
    QSet<QString> expected(broadcast.cbegin(), broadcast.cend());
    expected.unite(QSet<QString>(extra.cbegin(), extra.cend()));

    // Nothing goes out until a scan; then each target is sent the datagram once.
    QVERIFY(nothingMoreSent());
    for (int scan = 0; scan < 2; ++scan) {
        m_discovery->scan();
        QSet<QString> to;
        for (int i = 0; i < expected.size(); ++i) {
            QVERIFY(Support::waitFor([this] { return m_datagrams->hasPendingDatagrams(); }));
            const QNetworkDatagram datagram = m_datagrams->receiveDatagram();
            QCOMPARE(datagram.data(), PlayerProtocol::discoveryDatagram(m_discovery->hubPort()));
            to.insert(datagram.destinationAddress().toString());
        }
        QCOMPARE(to, expected);
        QVERIFY(nothingMoreSent());
    }
}

void tst_PlayerDiscovery::scanDue_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("due");

    QTest::newRow("the networks change") << "networks" << true;
    QTest::newRow("the machine slept") << "sleep" << true;
    QTest::newRow("a look a little late") << "late" << false;
}

void tst_PlayerDiscovery::scanDue()
{
    QFETCH(QString, change);
    QFETCH(bool, due);

    // Discovery looks every 20 ms at the networks and the clock it is given.
    struct Watched
    {
        QMutex mutex;
        QList<Interface> interfaces {{Support::up, {Support::entry("10.0.0.5", "10.0.0.255")}}};
        std::atomic<qint64> clock {1'000'000};
        std::atomic<int> looks {0};
    };
    auto watched = std::make_shared<Watched>();
    DiscoverySettings discovery = settings();
    discovery.watchInterval = 20;
    discovery.interfaces = [watched] {
        ++watched->looks;
        QMutexLocker lock(&watched->mutex);
        return watched->interfaces;
    };
    discovery.wallClock = [watched] {
        return watched->clock += 20;
    };
    start(discovery);
    QSignalSpy scans(m_discovery.get(), &PlayerDiscovery::scanDue);
    int until = watched->looks + 3;
    QVERIFY(Support::waitFor([&] { return watched->looks >= until; }));
    QCOMPARE(scans.count(), 0);

    if (change == "networks") {
        QMutexLocker lock(&watched->mutex);
        watched->interfaces.append({Support::up, {Support::entry("192.168.7.2", "192.168.7.255")}});
    } else if (change == "sleep") {
        watched->clock += 3600 * 1000;
    } else if (change == "late") {
        watched->clock += PlayerDiscovery::sleptAfter / 2;
    }
    until = watched->looks + 3;
    QVERIFY(Support::waitFor([&] { return watched->looks >= until; }));
    QCOMPARE(scans.count(), due ? 1 : 0);
}

void tst_PlayerDiscovery::registration_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("piece"); // the bytes of each read

    // A record may come over as many reads as it takes; the address is text,
    // whether or not it parses; the longest texts a record holds arrive whole,
    // counted in bytes.
    QTest::newRow("over several reads") << "hall"
                                        << "10.0.0.8" << 4;
    QTest::newRow("255 bytes of two-byte letters")
        << QString(127, QChar(0xE9)) + 'n' << QString(127, QChar(0xE5)) + 'a' << 100;
}

void tst_PlayerDiscovery::registration()
{
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(int, piece);

    start(settings());
    const QByteArray bytes = m_player->record(name, address);
    QCOMPARE(bytes.size(), 8 + address.toUtf8().size() + name.toUtf8().size());
    QTcpSocket link;
    link.connectToHost(QHostAddress::LocalHost, m_discovery->hubPort());
    QTRY_COMPARE(link.bytesAvailable(), 7);
    QCOMPARE(link.readAll(), PlayerProtocol::greeting());
    // What follows a record may come in the read that ends it (past the
    // record's cap: recordFarPastItsCap).
    const QByteArray junk
        = bytes.size() + 13 <= PlayerProtocol::maximumRecordSize ? "trailing junk" : "";
    for (int at = 0; at < bytes.size(); at += piece) {
        QCOMPARE(m_registered->count(), 0);
        link.write(bytes.mid(at, piece) + (at + piece < bytes.size() ? "" : junk));
        QTRY_COMPARE(link.bytesToWrite(), 0);
    }
    QVERIFY(m_registered->count() == 1 || m_registered->wait());
    QCOMPARE(m_registered->count(), 1);
    QCOMPARE(registered(0).hostName, name);
    QCOMPARE(registered(0).addressText, address);
    QCOMPARE(registered(0).commandPort, m_player->commandPort());
    // Discovery closes the link itself, without waiting for the player.
    QTRY_COMPARE(link.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(link.readAll(), QByteArray());
}

void tst_PlayerDiscovery::recordFarPastItsCap()
{
    // A whole record of the longest texts, then 64 MiB more: the player is
    // registered from the record, and the link is closed long before the rest
    // is sent. Discovery reads no more than a record meanwhile (where the
    // system counts what the process reads).
    if (!Flood::hearsReset())
        QSKIP("a writer here is not told of a link closed unread");
    start(settings());
    const QByteArray longest = m_player->record(QString(255, 'n'), QString(255, 'a'));
    QCOMPARE(longest.size(), PlayerProtocol::maximumRecordSize);
    constexpr qint64 total = 64 * 1024 * 1024;
    QTcpSocket link;
    link.connectToHost(QHostAddress::LocalHost, m_discovery->hubPort());
    QTRY_COMPARE(link.bytesAvailable(), 7);
    link.readAll();
    const qint64 before = Support::procField("io", "rchar");
    // The first of the rest comes in the record's write, so that a link read
    // past its cap reads it.
    const QByteArray more(64 * 1024, 'x');
    const Flood flood(&link, longest + more, more, total);
    QVERIFY(Support::waitFor([&] { return flood.ended(); }, 20000));
    const qint64 read = Support::procField("io", "rchar") - before;
    QVERIFY2(flood.sent() < total / 4, qPrintable(QString::number(flood.sent())));
    QVERIFY2(before < 0 || read < 16 * 1024, qPrintable(QString::number(read)));
    QCOMPARE(m_registered->count(), 1);
    QCOMPARE(registered(0).hostName, QString(255, 'n'));
    QCOMPARE(registered(0).addressText, QString(255, 'a'));
}

void tst_PlayerDiscovery::incompleteRecordIsDropped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playerCloses");

    QTest::newRow("silent") << QByteArray() << false;
    QTest::newRow("closed early")
        << PlayerProtocol::encodeRegistrationRecord({9000, "10.77.0.2", "lobby"}).left(10) << true;
}

void tst_PlayerDiscovery::incompleteRecordIsDropped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playerCloses);

    DiscoverySettings discovery = settings();
    discovery.registrationDeadline = playerCloses ? 30000 : 200;
    start(discovery);
    QTcpSocket *link = m_player->registerWith(m_discovery->hubPort(), bytes);
    QTRY_COMPARE(m_player->greeted(), 1);
    if (playerCloses)
        link->disconnectFromHost();
    QTRY_VERIFY(m_player->registrations().isEmpty()); // dropped by discovery, or closed
    // A complete registration after it proves the failed one was handled first.
    m_player->registerWith(m_discovery->hubPort(), m_player->record("next", "10.77.0.3"));
    QVERIFY(m_registered->wait());
    QCOMPARE(m_registered->count(), 1);
    QCOMPARE(registered(0).hostName, QStringLiteral("next"));
}

QTEST_GUILESS_MAIN(tst_PlayerDiscovery)
#include "tst_playerdiscovery.moc"
