// The hub over loopback (scans and their rounds, the players it remembers,
// registration links, the active player, the update notice, its surface as the
// scene sees it), and its choice of broadcast targets and of the networks it
// watches.
#include "broadcasttargets.h"
#include "client.h"
#include "fakehub.h"
#include "logcapture.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerdiscovery.h"
#include "playerfile.h"
#include "playerprotocol.h"
#include "playerstore.h"
#include "scriptedplayer.h"
#include "support.h"
#include "updateservice.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QMutex>
#include <QNetworkDatagram>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>

using BroadcastTargets::Interface;
using Flags = QNetworkInterface::InterfaceFlags;
Q_DECLARE_METATYPE(QList<Interface>)

class tst_NetworkMessenger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scan_data();
    void scan();
    void roundsAndRememberedPlayers();
    void scanAtOnce_data();
    void scanAtOnce();
    void hubPortTakenThenFreed();
    void registration_data();
    void registration();
    void incompleteRecordIsDropped_data();
    void incompleteRecordIsDropped();
    void burstOfPlayers();
    void registeringTwiceAndRescanning();
    void activePlayer();
    void directoryOpensItsOwnPlayer();
    void rowsSayWhatPlayersPlay();
    void askingHoldsFourLinksAtMost();
    void updateNotice();
    void sceneSurface();
    void broadcastTargets_data();
    void broadcastTargets();
    void networks();

private:
    HubSettings settings() const { return Support::loopbackHub(m_discovery->localPort()); }
    // A hub whose first scan has gone out: discovery scans on a thread of its
    // own, and what it logs comes in when it does.
    void startHub(const HubSettings &settings)
    {
        m_hub = std::make_unique<NetworkMessenger>(settings);
        Support::waitFor([this] { return m_discovery->hasPendingDatagrams(); });
    }
    void startHub() { startHub(settings()); }
    QTcpSocket *registerWith(const QByteArray &record)
    {
        return m_player->registerWith(m_hub->hubPort(), record);
    }
    Client *listed(int index) const
    {
        return qobject_cast<Client *>(m_hub->clients().value(index));
    }

    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<QUdpSocket> m_discovery; // where the hub's datagrams arrive
    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<NetworkMessenger> m_hub;
};

namespace {

QByteArray record(const QString &name, const QString &address, quint16 port)
{
    return PlayerProtocol::encodeRegistrationRecord({port, address, name}, 0xCAFEBABE);
}

QList<QHostAddress> addresses(const QStringList &texts)
{
    QList<QHostAddress> list;
    for (const QString &text : texts)
        list.append(QHostAddress(text));
    return list;
}

QNetworkAddressEntry entry(const QString &ip, const QString &broadcast = QString())
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(ip));
    if (!broadcast.isEmpty())
        e.setBroadcast(QHostAddress(broadcast));
    return e;
}

const Flags up
    = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;

} // namespace

void tst_NetworkMessenger::init()
{
    m_log = std::make_unique<LogCapture>();
    m_discovery = std::make_unique<QUdpSocket>();
    QVERIFY(m_discovery->bind(QHostAddress::AnyIPv4, 0));
    m_player = std::make_unique<ScriptedPlayer>();
}

void tst_NetworkMessenger::cleanup()
{
    m_player.reset();
    m_hub.reset();
    m_discovery.reset();
    m_log.reset();
}

void tst_NetworkMessenger::scan_data()
{
    QTest::addColumn<QStringList>("broadcast");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("every network, and extra targets, none twice")
        << QStringList {"127.0.0.1", "127.0.0.2"} << QStringList {"127.0.0.2", "127.0.0.3"}
        << QStringList {"Broadcasting to 127.0.0.1", "Broadcasting to 127.0.0.2",
                        "Also scanning at 127.0.0.3"};
    QTest::newRow("extra targets alone")
        << QStringList() << QStringList {"127.0.0.2"}
        << QStringList {"No valid broadcast network found", "Also scanning at 127.0.0.2"};
}

void tst_NetworkMessenger::scan()
{
    QFETCH(QStringList, broadcast);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, log);

    HubSettings hubSettings = settings();
    hubSettings.scanTargets = addresses(broadcast);
    hubSettings.extraTargets = addresses(extra);
    startHub(hubSettings);
    QSet<QString> expected(broadcast.cbegin(), broadcast.cend());
    expected.unite(QSet<QString>(extra.cbegin(), extra.cend()));

    // The hub scans once when it starts and then whenever it is asked to.
    for (int scan = 0; scan < 2; ++scan) {
        QTRY_COMPARE(m_log->lines(), QStringList {"Scanning for Clients"} + log);
        QSet<QString> to;
        for (int i = 0; i < expected.size(); ++i) {
            QTRY_VERIFY(m_discovery->hasPendingDatagrams());
            const QNetworkDatagram datagram = m_discovery->receiveDatagram();
            QCOMPARE(datagram.data(), PlayerProtocol::discoveryDatagram(m_hub->hubPort()));
            to.insert(datagram.destinationAddress().toString());
        }
        QCOMPARE(to, expected);
        // Datagrams queue in the order they were sent: the marker comes next
        // only if the hub sent no more.
        QUdpSocket marker;
        marker.writeDatagram("marker", QHostAddress::LocalHost, m_discovery->localPort());
        QTRY_VERIFY(m_discovery->hasPendingDatagrams());
        QCOMPARE(m_discovery->receiveDatagram().data(), QByteArray("marker"));
        m_log->clear();
        m_hub->scanForClients();
    }
}

void tst_NetworkMessenger::hubPortTakenThenFreed()
{
    // Another program holds the hub port: no player can register, and that is
    // worth a warning, which the log shows as it comes out of the box, without
    // the scan's debug lines. Scans go on all the same, and each tries the
    // port again: once it is free, players register.
    m_log.reset();
    m_log = std::make_unique<LogCapture>("quintavo", LogCapture::Levels::AsConfigured);
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost));
    HubSettings hubSettings = settings();
    hubSettings.hubPort = other.serverPort();
    startHub(hubSettings);

    QCOMPARE(m_log->warnings().size(), 1);
    QCOMPARE(m_log->warnings().first().section(": ", 0, 0),
             QStringLiteral("Cannot listen for players on port %1 ").arg(other.serverPort()));
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QCOMPARE(m_log->lines(), m_log->warnings());
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QVERIFY(!m_hub->isListening());

    int told = 0;
    m_hub->whenListening([&told] { ++told; });
    m_discovery->receiveDatagram();
    m_hub->scanForClients();
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QCOMPARE(told, 0);
    QVERIFY(!m_hub->isListening());
    other.close();
    m_hub->scanForClients();
    QTRY_COMPARE(told, 1);
    QVERIFY(m_hub->isListening());
    QCOMPARE(m_hub->hubPort(), hubSettings.hubPort);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    QCOMPARE(m_log->warnings().size(), 1);
}

void tst_NetworkMessenger::roundsAndRememberedPlayers()
{
    // Five players remembered from an earlier run, none of which hears the
    // broadcast: each listens at an address of its own, and two share one.
    // Loopback must deliver by address, as Linux's and Windows' do (Wine's
    // hands every such datagram to the socket bound last).
    {
        const auto shared = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
        QUdpSocket first, second;
        QVERIFY(first.bind(QHostAddress("127.0.0.2"), 0, shared));
        if (!second.bind(QHostAddress("127.0.0.3"), first.localPort(), shared))
            QSKIP("this system's loopback does not tell its addresses apart");
        first.writeDatagram("probe", QHostAddress("127.0.0.2"), first.localPort());
        QTRY_VERIFY(first.hasPendingDatagrams() || second.hasPendingDatagrams());
        if (!first.hasPendingDatagrams())
            QSKIP("this system's loopback does not tell its addresses apart");
    }
    qRegisterMetaType<QHostAddress>("QHostAddress");
    // alpha answers every datagram, beta only the first, the others none;
    // epsilon's address is also an extra target, which hears every scan.
    QTemporaryDir dir;
    const QString file = dir.filePath("players.json");
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-3600);
    struct Player
    {
        const char *name;
        const char *address;
        ScriptedPlayer scripted {};
        std::unique_ptr<QSignalSpy> heard {};
    };
    Player players[] = {{"alpha", "127.0.0.2"},
                        {"beta", "127.0.0.3"},
                        {"gamma", "127.0.0.4"},
                        {"delta", "127.0.0.4"},
                        {"epsilon", "127.0.0.5"}};
    QVector<RememberedPlayer> remembered;
    quint16 port = 0;
    for (Player &player : players) {
        ScriptedPlayer &scripted = player.scripted;
        QVERIFY(scripted.hearScans(port, scripted.record(player.name, player.address), false,
                                   QHostAddress(player.address)));
        port = scripted.scanPort();
        player.heard = std::make_unique<QSignalSpy>(&scripted, &ScriptedPlayer::invited);
        remembered.append(
            {player.name, player.address, scripted.commandPort(), before, before, -1, QString()});
    }
    connect(&players[0].scripted, &ScriptedPlayer::invited, &players[0].scripted,
            &ScriptedPlayer::answer);
    connect(&players[1].scripted, &ScriptedPlayer::invited, &players[1].scripted,
            [&beta = players[1]](const QHostAddress &hub, quint16 hubPort) {
                if (beta.heard->count() == 1)
                    beta.scripted.answer(hub, hubPort);
            });
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(PlayerFile::encode(remembered));
    }
    HubSettings hubSettings = settings();
    hubSettings.discoveryPort = port;
    hubSettings.playersFile = file;
    hubSettings.extraTargets = {QHostAddress("127.0.0.5")};
    hubSettings.directAfter = 200;
    hubSettings.answerDeadline = 1000;
    hubSettings.saveDelay = 10;
    m_hub = std::make_unique<NetworkMessenger>(hubSettings);
    PlayerDirectory *directory = m_hub->directory();
    const auto heard = [&players] {
        QStringList counts;
        for (const Player &player : players)
            counts << QString::number(player.heard->count());
        return counts.join(' ');
    };
    const auto shown = [directory] {
        QStringList rows;
        for (int row = 0; row < directory->rowCount(); ++row) {
            const QModelIndex index = directory->index(row);
            rows << index.data(PlayerDirectory::HostnameRole).toString()
                    + (index.data(PlayerDirectory::NotSeenYetRole).toBool() ? " not seen yet"
                           : index.data(PlayerDirectory::AnsweringRole).toBool()
                           ? ""
                           : " not answering");
        }
        return rows.join(", ");
    };

    // The first scan: they are listed once the file is read, before any
    // answer, and each address is sent the datagram at once, epsilon's with
    // the broadcast. One of gamma and delta hears theirs.
    QTRY_COMPARE(directory->rowCount(), 5);
    QTRY_COMPARE(shown(),
                 QStringLiteral("alpha, beta, delta not seen yet, epsilon not seen yet, "
                                "gamma not seen yet"));
    QTRY_COMPARE(heard().count('1'), 4);
    QCOMPARE(heard().count('0'), 1);
    const QString firstRound
        = "alpha, beta, delta not answering, epsilon not answering, gamma not answering";
    QTRY_COMPARE_WITH_TIMEOUT(shown(), firstRound, 5000);
    // Meanwhile the file was written again, alpha and beta seen now.
    QString why;
    QTRY_VERIFY(PlayerStore::read(file, &why)->at(0).lastSeen > before);

    // The next scan: after directAfter, one datagram to each address whose
    // players did not register. alpha answers, beta does not.
    m_hub->scanForClients();
    QTRY_COMPARE(players[4].heard->count(), 2);
    QTRY_COMPARE(players[0].heard->count(), 2);
    QTRY_COMPARE(shown(),
                 QStringLiteral("alpha, beta not answering, delta not answering, epsilon not "
                                "answering, gamma not answering"));
    QCOMPARE(heard().split(' ').mid(0, 2), QStringList({"2", "2"}));
    QCOMPARE(players[2].heard->count() + players[3].heard->count(), 2);
    QCOMPARE(players[4].heard->count(), 2);

    // At exit, what is remembered is written: alpha seen at its last answer.
    // (The file keeps whole seconds.)
    const auto seconds = [](const QDateTime &time) {
        return time.toSecsSinceEpoch();
    };
    const QDateTime alphaSeen = directory->remembered().at(0).lastSeen;
    m_hub.reset();
    const auto kept = PlayerStore::read(file, &why);
    QVERIFY(kept);
    QCOMPARE(kept->size(), 5);
    QCOMPARE(seconds(kept->at(0).lastSeen), seconds(alphaSeen));
    QCOMPARE(seconds(kept->at(2).lastSeen), seconds(before));
}

void tst_NetworkMessenger::scanAtOnce_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("scans");

    QTest::newRow("the networks change") << "networks" << true;
    QTest::newRow("the machine slept") << "sleep" << true;
    QTest::newRow("a look a little late") << "late" << false;
    QTest::newRow("nothing") << "" << false;
}

void tst_NetworkMessenger::scanAtOnce()
{
    QFETCH(QString, change);
    QFETCH(bool, scans);

    // Discovery looks every 20 ms at the networks and the clock it is given.
    struct Watched
    {
        QMutex mutex;
        QList<Interface> interfaces {{up, {entry("10.0.0.5", "10.0.0.255")}}};
        std::atomic<qint64> clock {1'000'000};
        std::atomic<int> looks {0};
    };
    auto watched = std::make_shared<Watched>();
    HubSettings hubSettings = settings();
    hubSettings.watchInterval = 20;
    hubSettings.interfaces = [watched] {
        ++watched->looks;
        QMutexLocker lock(&watched->mutex);
        return watched->interfaces;
    };
    hubSettings.wallClock = [watched] {
        return watched->clock += 20;
    };
    startHub(hubSettings);
    m_discovery->receiveDatagram();
    // Its looks happen on its thread: they wake nothing here.
    int until = watched->looks + 3;
    QTRY_VERIFY(watched->looks >= until);

    if (change == "networks") {
        QMutexLocker lock(&watched->mutex);
        watched->interfaces.append({up, {entry("192.168.7.2", "192.168.7.255")}});
    } else if (change == "sleep") {
        watched->clock += 3600 * 1000;
    } else if (change == "late") {
        watched->clock += PlayerDiscovery::sleptAfter / 2;
    }
    until = watched->looks + 3;
    QTRY_VERIFY(watched->looks >= until);
    // Datagrams queue in the order they were sent: the marker comes first only
    // if the hub sent none.
    QUdpSocket marker;
    marker.writeDatagram("marker", QHostAddress::LocalHost, m_discovery->localPort());
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QCOMPARE(m_discovery->receiveDatagram().data() != QByteArray("marker"), scans);
}

void tst_NetworkMessenger::registration_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("piece"); // the bytes of each read
    QTest::addColumn<QString>("player"); // name, address as its object has it, port
    QTest::addColumn<QString>("logLine");

    // A record may come over as many reads as it takes.
    QTest::newRow("over several reads") << record("hall", "10.0.0.8", 9) << 4 << "hall 10.0.0.8 9"
                                        << R"("hall" "10.0.0.8" on port 9)";
    QTest::newRow("address that does not parse")
        << record("attic", "not-an-ip", 7000) << 1000 << "attic  7000"
        << R"("attic" "not-an-ip" on port 7000)";
}

void tst_NetworkMessenger::registration()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, piece);
    QFETCH(QString, player);
    QFETCH(QString, logLine);

    startHub();
    m_log->clear();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QTcpSocket link;
    link.connectToHost(QHostAddress::LocalHost, m_hub->hubPort());
    QTRY_COMPARE(link.bytesAvailable(), 7);
    QCOMPARE(link.readAll(), QByteArray("*ready!"));
    for (int at = 0; at < bytes.size(); at += piece) {
        QCOMPARE(updated.count(), 0);
        // What follows a record may come in the read that ends it.
        link.write(bytes.mid(at, piece) + (at + piece < bytes.size() ? "" : "trailing junk"));
        QTRY_COMPARE(link.bytesToWrite(), 0);
    }
    QVERIFY(updated.count() == 1 || updated.wait());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(listed(0)->hostname(), listed(0)->ipAddress())
                 .arg(listed(0)->port()),
             player);
    QCOMPARE(m_log->lines(), QStringList {logLine});
    // The hub closes the link itself, without waiting for the player.
    QTRY_COMPARE(link.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(link.readAll(), QByteArray());
}

void tst_NetworkMessenger::incompleteRecordIsDropped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playerCloses");

    QTest::newRow("silent") << QByteArray() << false;
    QTest::newRow("closed early") << record("lobby", "10.77.0.2", 9000).left(10) << true;
}

void tst_NetworkMessenger::incompleteRecordIsDropped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playerCloses);

    HubSettings hubSettings = settings();
    hubSettings.registrationDeadline = playerCloses ? 30000 : 200;
    startHub(hubSettings);
    m_log->clear();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QTcpSocket *link = registerWith(bytes);
    QTRY_COMPARE(m_player->greeted(), 1);
    if (playerCloses)
        link->disconnectFromHost();
    QTRY_VERIFY(m_player->registrations().isEmpty()); // dropped by the hub, or closed
    // A complete registration after it proves the failed one was handled first.
    registerWith(record("next", "10.77.0.3", 9001));
    QVERIFY(updated.wait());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(listed(0)->hostname(), QStringLiteral("next"));
    QCOMPARE(m_log->lines().size(), 1);
}

void tst_NetworkMessenger::burstOfPlayers()
{
    // Every player answers a scan at once: more of them than the pending links
    // and Qt's own listen queue hold are all served in turn.
    startHub();
    const int players = 150;
    for (int i = 0; i < players; ++i)
        registerWith(record(QStringLiteral("p%1").arg(i), "10.77.0.2", 9000));
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->clients().size(), players, 10000);
}

void tst_NetworkMessenger::registeringTwiceAndRescanning()
{
    startHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 1);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 2);
    const QList<QObject *> before = m_hub->clients();
    QCOMPARE(before.size(), 2);
    QVERIFY(before.at(0) != before.at(1));

    // A scan empties the list without announcing it.
    m_hub->scanForClients();
    QVERIFY(m_hub->clients().isEmpty());
    QCOMPARE(updated.count(), 2);

    // The player's object comes back when it registers again.
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 3);
    QCOMPARE(m_hub->clients().size(), 1);
    QVERIFY(before.contains(m_hub->clients().first()));
}

void tst_NetworkMessenger::activePlayer()
{
    ScriptedPlayer second;
    startHub();
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    m_hub->queryClient(QStringLiteral("127.0.0.1")); // empty list: no effect
    registerWith(m_player->record("one"));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    registerWith(second.record("two"));
    QTRY_COMPARE(m_hub->clients().size(), 2);
    registerWith(second.record("six", "fe80::1"));
    QTRY_COMPARE(m_hub->clients().size(), 3);

    // Exact text only: no leading zeros, no other case. Without an active
    // player a switch goes nowhere.
    m_hub->queryClient(QStringLiteral("127.0.0.01"));
    m_hub->queryClient(QStringLiteral("FE80::1"));
    QVERIFY(!m_hub->activeClient());
    m_hub->quintavo(3);

    // The first of two equal addresses, active when the call returns, before
    // any answer. Opened twice, it relays each answer once.
    Client *one = listed(0);
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QCOMPARE(m_hub->activeClient(), one);
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_player->received(1), PlayerProtocol::playlistRequest());
    QCOMPARE(m_player->linkCount(), 2);
    QCOMPARE(answers.count(), 0);
    m_player->reply(1,
                    QByteArray(R"({"activeIndex":2,"quintavo":[{"description":"Snow"}]})") + '\0');
    QVERIFY(answers.wait());
    QCOMPARE(answers.count(), 1);
    QCOMPARE(answers.at(0).at(0).toJsonObject().value("activeIndex").toInt(), 2);
    m_hub->quintavo(65535);
    QTRY_COMPARE(m_player->received(2), PlayerProtocol::switchCommand(65535));

    // After a scan has emptied the list, a query that misses leaves the active
    // player as it was, and it still gets commands.
    m_hub->scanForClients();
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QCOMPARE(m_hub->activeClient(), one);
    m_hub->quintavo(3);
    QTRY_COMPARE(m_player->received(3), PlayerProtocol::switchCommand(3));
    QCOMPARE(second.linkCount(), 0);

    // Once another player is open, a late answer of the first is not relayed.
    registerWith(second.record("two"));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(second.received(0).size(), 24);
    m_player->reply(3, QByteArray(R"({"activeIndex":7})") + '\0');
    QTRY_COMPARE(one->json().value("activeIndex"), QJsonValue(7));
    QCOMPARE(answers.count(), 1);
    second.reply(0, QByteArray(R"({"activeIndex":5})") + '\0');
    QVERIFY(answers.wait());
    QCOMPARE(answers.count(), 2);
    QCOMPARE(answers.at(1).at(0).toJsonObject().value("activeIndex").toInt(), 5);
}

void tst_NetworkMessenger::directoryOpensItsOwnPlayer()
{
    // Two players at one address: the hub's query by address takes the first
    // to register, a row of the directory opens its own. Both stay listed
    // across a scan that only one answers.
    ScriptedPlayer second;
    startHub();
    registerWith(m_player->record("screen"));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    registerWith(second.record("screen"));
    QTRY_COMPARE(m_hub->clients().size(), 2);
    m_hub->scanForClients();
    registerWith(m_player->record("screen"));
    QTRY_COMPARE(m_hub->clients().size(), 1);

    PlayerDirectory *directory = m_hub->directory();
    QCOMPARE(directory->rowCount(), 2);
    const int row = m_player->commandPort() < second.commandPort() ? 1 : 0;
    directory->open(row);
    QCOMPARE(m_hub->activeClient(), directory->client("127.0.0.1", second.commandPort()));
    QTRY_COMPARE(second.received(0), PlayerProtocol::playlistRequest());
    QCOMPARE(m_player->linkCount(), 0);
}

// A hub whose directory asks its players (all on loopback) what they play.
static HubSettings askingHub(quint16 discoveryPort, int afterSwitch = 500)
{
    HubSettings settings = Support::loopbackHub(discoveryPort);
    settings.askWhatPlayersPlay = true;
    settings.playingPace.afterSwitch = afterSwitch;
    return settings;
}

void tst_NetworkMessenger::rowsSayWhatPlayersPlay()
{
    startHub(askingHub(m_discovery->localPort(), 10));
    PlayerDirectory *directory = m_hub->directory();
    const auto playing = [directory] {
        const QModelIndex row = directory->index(0);
        return QStringLiteral("%1 %2%3")
            .arg(row.data(PlayerDirectory::PlayingIndexRole).toInt())
            .arg(row.data(PlayerDirectory::PlayingRole).toString(),
                 row.data(PlayerDirectory::PlayingStaleRole).toBool() ? " (last known)" : "");
    };
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    const QByteArray playlist = R"({"activeIndex":2,"quintavo":[{"description":"Dawn"},)"
                                R"({"description":"Snow"},{"description":"Tide"}]})";

    // A first appearance asks once, on a link of its own; the answer shows
    // on the row and never reaches the player screen.
    registerWith(m_player->record("lobby"));
    QTRY_COMPARE(m_player->received(0), PlayerProtocol::playlistRequest());
    m_player->reply(0, playlist + '\0');
    QTRY_COMPARE(playing(), QStringLiteral("2 Snow"));
    QCOMPARE(answers.count(), 0);

    // Registering again after a scan asks nothing.
    m_hub->scanForClients();
    registerWith(m_player->record("lobby"));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    Support::waitFor([] { return false; }, 50);
    QCOMPARE(m_player->linkCount(), 1);

    // The player screen's own link: its answers show on the row too. After
    // a switch the player is asked again, on another link.
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_player->received(1), PlayerProtocol::playlistRequest());
    m_player->reply(1, QByteArray(R"({"activeIndex":0,"quintavo":[]})") + '\0');
    QTRY_COMPARE(playing(), QStringLiteral("0 "));
    m_hub->quintavo(3);
    QTRY_COMPARE(m_player->received(2), PlayerProtocol::switchCommand(3));
    QTRY_COMPARE(m_player->received(3), PlayerProtocol::playlistRequest());
    QCOMPARE(answers.count(), 1);
    m_player->reply(3, QByteArray(playlist).replace(":2,", ":3,") + '\0');
    QTRY_COMPARE(playing(), QStringLiteral("3 Tide"));
    QCOMPARE(answers.count(), 1);

    // An answer that does not say what plays changes nothing; a player that
    // does not answer keeps its last known entry, shown as such.
    m_hub->quintavo(1);
    QTRY_COMPARE(m_player->received(5), PlayerProtocol::playlistRequest());
    m_player->reply(5, QByteArray(R"({"quintavo":[]})") + '\0');
    QTRY_VERIFY(!m_player->linkOpen(5));
    QCOMPARE(playing(), QStringLiteral("3 Tide"));
    m_hub->quintavo(2);
    QTRY_COMPARE(m_player->received(7), PlayerProtocol::playlistRequest());
    m_player->link(7)->abort();
    QTRY_COMPARE(playing(), QStringLiteral("3 Tide (last known)"));
}

void tst_NetworkMessenger::askingHoldsFourLinksAtMost()
{
    startHub(askingHub(m_discovery->localPort()));
    PlayerDirectory *directory = m_hub->directory();
    std::vector<std::unique_ptr<ScriptedPlayer>> players;
    // The links the players were asked on, or of them those still open.
    const auto links = [&players](bool open) {
        int count = 0;
        for (const auto &player : players)
            for (int i = 0; i < player->linkCount(); ++i)
                count += !open || player->linkOpen(i) ? 1 : 0;
        return count;
    };
    for (int i = 0; i < 30; ++i) {
        players.push_back(std::make_unique<ScriptedPlayer>());
        registerWith(players.back()->record(QStringLiteral("p%1").arg(i)));
    }
    QTRY_COMPARE(directory->rowCount(), 30);
    // The players hold their links: four are asked, the others wait.
    QTRY_COMPARE(links(false), 4);
    Support::waitFor([] { return false; }, 100);
    QCOMPARE(links(false), 4);
    // As each answer comes, the next player is asked.
    for (int answered = 0; answered < 26; ++answered) {
        for (const auto &player : players) {
            if (player->linkCount() == 1 && player->linkOpen(0) && !player->received(0).isEmpty()) {
                player->reply(0, QByteArray(R"({"activeIndex":0})") + '\0');
                break;
            }
        }
        QTRY_COMPARE(links(false), 5 + answered);
        QTRY_COMPARE(links(true), 4);
    }
}

void tst_NetworkMessenger::updateNotice()
{
    UpdateService service;
    service.setBody(R"({"type":"update","update":{"platform":"windows","version":"0.9.3",)"
                    R"("description":"d","url":"u","show_message":false}})");
    QString error;
    QVERIFY2(service.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    HubSettings hubSettings = settings();
    hubSettings.updateUrl
        = QUrl(QStringLiteral("http://127.0.0.1:%1/qarn/update.php").arg(service.port()));
    // The request is under way as soon as the hub exists, if asked for;
    // otherwise nothing of the network access is built until the check is
    // asked for, and that happens once.
    hubSettings.checkForUpdate = true;
    startHub(hubSettings);
    QCOMPARE(m_hub->findChildren<QNetworkReply *>().size(), 1);
    hubSettings.checkForUpdate = false;
    startHub(hubSettings);
    QVERIFY(m_hub->findChildren<QNetworkAccessManager *>().isEmpty());
    m_hub->checkForUpdate();
    m_hub->checkForUpdate();
    QCOMPARE(m_hub->findChildren<QNetworkReply *>().size(), 1);

    QSignalSpy notices(m_hub.get(), &NetworkMessenger::newUpdate);
    QVERIFY(notices.wait());
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0), QVariantList({"0.9.3", "d", "u", false}));
}

// The scene's view of the hub: what it reads (properties with their types,
// writability and change signals), the signals it connects to and the methods
// it calls. The stand-in the scene tests use must show the same. (They use
// real player objects.)
void tst_NetworkMessenger::sceneSurface()
{
    const QStringList surface {
        "property QList<QObject*> clients notify clientsUpdated",
        "property QObject* activeClient notify activeClientChanged",
        "signal clientsUpdated()",
        "signal activeClientChanged(QJsonObject json)",
        "signal newUpdate(QString version, QString description, QString url, bool showMessage)",
        "method scanForClients()",
        "method queryClient(QString ipAddress)",
        "method quintavo(ushort index)",
    };
    // How a class shows the member that a line of the surface names.
    const auto shown = [](const QMetaObject *meta, const QString &line) {
        const int word = line.startsWith("property") ? 2 : 1;
        const QString name = line.section(' ', word, word).section('(', 0, 0);
        const int index = meta->indexOfProperty(qPrintable(name));
        if (index >= 0) {
            const QMetaProperty property = meta->property(index);
            return QStringLiteral("property %1 %2%3 notify %4")
                .arg(property.typeName(), name, property.isWritable() ? " write" : "",
                     property.notifySignal().name());
        }
        for (int i = 0; i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.name() != name.toLatin1() || method.access() != QMetaMethod::Public)
                continue;
            QStringList parameters;
            for (int p = 0; p < method.parameterCount(); ++p)
                parameters << method.parameterTypes().at(p) + ' ' + method.parameterNames().at(p);
            return QStringLiteral("%1 %2(%3)")
                .arg(method.methodType() == QMetaMethod::Signal ? "signal" : "method", name,
                     parameters.join(QStringLiteral(", ")));
        }
        return QString();
    };
    for (const QString &line : surface) {
        QCOMPARE(shown(&NetworkMessenger::staticMetaObject, line), line);
        QCOMPARE(shown(&FakeHub::staticMetaObject, line), line);
    }

    // And behave alike where the scene relies on it: of two players at one
    // address, a query opens the one that registered first.
    ScriptedPlayer second;
    startHub();
    registerWith(m_player->record("first"));
    QTRY_COMPARE(m_hub->clients().size(), 1);
    registerWith(second.record("second"));
    QTRY_COMPARE(m_hub->clients().size(), 2);
    FakeHub fake;
    fake.addPlayer("first", "127.0.0.1", 7000);
    fake.addPlayer("second", "127.0.0.1", 7001);
    for (QObject *hub : {static_cast<QObject *>(m_hub.get()), static_cast<QObject *>(&fake)}) {
        QMetaObject::invokeMethod(hub, "queryClient", Q_ARG(QString, "127.0.0.1"));
        const auto *active = hub->property("activeClient").value<QObject *>();
        QVERIFY(active);
        QCOMPARE(active->property("hostname").toString(), QStringLiteral("first"));
    }
}

void tst_NetworkMessenger::broadcastTargets_data()
{
    QTest::addColumn<QList<Interface>>("interfaces");
    QTest::addColumn<QStringList>("targets");

    // Every network's broadcast address, in order, each once; an IPv6 entry has
    // none.
    QTest::newRow("chosen") << QList<Interface> {{up,
                                                  {entry("fe80::1"),
                                                   entry("192.168.1.10", "192.168.1.255"),
                                                   entry("10.0.0.5", "10.255.255.255")}},
                                                 {up, {entry("172.16.4.2", "172.16.255.255")}},
                                                 {up, {entry("192.168.1.11", "192.168.1.255")}}}
                            << QStringList {"192.168.1.255", "10.255.255.255", "172.16.255.255"};
    // Loopback, an interface that is down, a point-to-point link, and 127.0.0.1
    // wherever it is.
    const Interface loopback {QNetworkInterface::IsUp | QNetworkInterface::IsLoopBack,
                              {entry("127.0.0.1"), entry("::1")}};
    const Interface down {QNetworkInterface::CanBroadcast,
                          {entry("192.168.56.1", "192.168.56.255")}};
    const Interface pointToPoint {QNetworkInterface::IsUp | QNetworkInterface::IsPointToPoint,
                                  {entry("10.8.0.2", "10.8.0.255")}};
    const Interface last {up,
                          {entry("127.0.0.1", "127.255.255.255"), entry("10.1.2.3", "10.1.2.255")}};
    QTest::newRow("skipped") << QList<Interface> {loopback, down, pointToPoint, last}
                             << QStringList {"10.1.2.255"};
}

void tst_NetworkMessenger::broadcastTargets()
{
    QFETCH(QList<Interface>, interfaces);
    QFETCH(QStringList, targets);

    QStringList chosen;
    for (const QHostAddress &address : BroadcastTargets::choose(interfaces))
        chosen.append(address.toString());
    QCOMPARE(chosen, targets);
}

void tst_NetworkMessenger::networks()
{
    // What the watch compares: the IPv4 networks of interfaces that are up,
    // whatever the order they come in, loopback's address left out.
    const QList<Interface> some {
        {up, {entry("fe80::1"), entry("192.168.1.10", "192.168.1.255")}},
        {QNetworkInterface::IsUp | QNetworkInterface::IsLoopBack, {entry("127.0.0.1")}},
        {QNetworkInterface::CanBroadcast, {entry("10.9.0.1")}},
        {up, {entry("10.8.0.2")}}};
    QList<Interface> reordered {some.at(3), some.at(0)};
    QCOMPARE(BroadcastTargets::networks(some), BroadcastTargets::networks(reordered));
    QCOMPARE(BroadcastTargets::networks(some).size(), 2);
    reordered[0].entries[0].setPrefixLength(8);
    QVERIFY(BroadcastTargets::networks(some) != BroadcastTargets::networks(reordered));
}

QTEST_GUILESS_MAIN(tst_NetworkMessenger)
#include "tst_networkmessenger.moc"
