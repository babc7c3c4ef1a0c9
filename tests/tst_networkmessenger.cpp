#include "client.h"
#include "logcapture.h"
#include "metasurface.h"
#include "networkmessenger.h"
#include "playerprotocol.h"
#include "testhttpserver.h"
#include "testplayer.h"

#include <QNetworkDatagram>
#include <QNetworkReply>
#include <QTcpServer>
#include <QUdpSocket>
#include <QtTest>

using PlayerProtocol::RegistrationRecord;

class tst_NetworkMessenger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scanSendsDatagram();
    void scanReachesEveryTarget();
    void noBroadcastNetwork();
    void hubPortTaken();
    void extraTargets_data();
    void extraTargets();
    void registration_data();
    void registration();
    void recordOverSeveralReads();
    void incompleteRecordIsDropped_data();
    void incompleteRecordIsDropped();
    void silentPeerDelaysNobody();
    void pendingLinksAreCapped();
    void burstOfPlayers();
    void registeringTwiceAndRescanning();
    void queryClient();
    void queryClientMatching();
    void relaysOnlyTheActivePlayer();
    void updateNotice();
    void updateCheckIsOptional();
    void metaObject();

private:
    HubSettings makeSettings(int registrationDeadline = 30000,
                             QList<QHostAddress> targets = {QHostAddress(QHostAddress::LocalHost)});
    std::unique_ptr<NetworkMessenger> makeHub(int registrationDeadline = 30000,
                                              QList<QHostAddress> targets
                                              = {QHostAddress(QHostAddress::LocalHost)});
    // Connects like a player, takes the greeting and answers with bytes.
    QTcpSocket *registerWith(const QByteArray &record);
    QTcpSocket *openLink();
    Client *listed(int index) const
    {
        return qobject_cast<Client *>(m_hub->clients().value(index));
    }

    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<QUdpSocket> m_discovery; // where the hub's datagrams arrive
    std::unique_ptr<NetworkMessenger> m_hub;
    std::unique_ptr<TestHttpServer> m_updates;
    QList<QTcpSocket *> m_links;
};

namespace {

QByteArray record(const QString &name, const QString &address, quint16 port)
{
    return PlayerProtocol::encodeRegistrationRecord({port, address, name}, 0xCAFEBABE);
}

} // namespace

void tst_NetworkMessenger::init()
{
    m_log = std::make_unique<LogCapture>();
    m_discovery = std::make_unique<QUdpSocket>();
    QVERIFY(m_discovery->bind(QHostAddress::AnyIPv4, 0));
    m_updates = std::make_unique<TestHttpServer>(404);
}

void tst_NetworkMessenger::cleanup()
{
    qDeleteAll(m_links);
    m_links.clear();
    m_hub.reset();
    m_updates.reset();
    m_discovery.reset();
    m_log.reset();
}

std::unique_ptr<NetworkMessenger> tst_NetworkMessenger::makeHub(int registrationDeadline,
                                                                QList<QHostAddress> targets)
{
    return std::make_unique<NetworkMessenger>(makeSettings(registrationDeadline, targets));
}

HubSettings tst_NetworkMessenger::makeSettings(int registrationDeadline,
                                               QList<QHostAddress> targets)
{
    HubSettings settings;
    settings.discoveryPort = m_discovery->localPort();
    settings.hubPort = 0;
    settings.listenAddress = QHostAddress(QHostAddress::LocalHost);
    settings.scanTargets = targets;
    settings.updateUrl = m_updates->url(QStringLiteral("/qarn/update.php"));
    settings.registrationDeadline = registrationDeadline;
    return settings;
}

QTcpSocket *tst_NetworkMessenger::openLink()
{
    auto *link = new QTcpSocket;
    m_links.append(link);
    link->connectToHost(QHostAddress::LocalHost, m_hub->hubPort());
    return link;
}

QTcpSocket *tst_NetworkMessenger::registerWith(const QByteArray &record)
{
    QTcpSocket *link = openLink();
    if (!QTest::qWaitFor([&] { return link->bytesAvailable() >= 7; }))
        return link;
    link->write(record);
    return link;
}

void tst_NetworkMessenger::scanSendsDatagram()
{
    m_hub = makeHub();
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QByteArray datagram(m_discovery->pendingDatagramSize(), '\0');
    m_discovery->readDatagram(datagram.data(), datagram.size());
    QCOMPARE(datagram, PlayerProtocol::discoveryDatagram(m_hub->hubPort()));
    QCOMPARE(m_log->lines(), QStringList({"Scanning for Clients", "Broadcasting to 127.0.0.1"}));

    m_hub->scanForClients();
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QCOMPARE(m_discovery->receiveDatagram().data(),
             PlayerProtocol::discoveryDatagram(m_hub->hubPort()));
    QVERIFY(!m_discovery->hasPendingDatagrams());
}

void tst_NetworkMessenger::scanReachesEveryTarget()
{
    m_hub = makeHub(30000, {QHostAddress("127.0.0.1"), QHostAddress("127.0.0.2")});
    QSet<QString> to;
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    while (to.size() < 2 && QTest::qWaitFor([&] { return m_discovery->hasPendingDatagrams(); }))
        to.insert(m_discovery->receiveDatagram().destinationAddress().toString());
    QCOMPARE(to, QSet<QString>({"127.0.0.1", "127.0.0.2"}));
    QCOMPARE(m_log->lines(),
             QStringList({"Scanning for Clients", "Broadcasting to 127.0.0.1",
                          "Broadcasting to 127.0.0.2"}));
}

void tst_NetworkMessenger::noBroadcastNetwork()
{
    m_hub = makeHub(30000, {});
    QCOMPARE(m_log->lines(),
             QStringList({"Scanning for Clients", "No valid broadcast network found"}));
    // Datagrams queue in the order they were sent: a marker sent now arrives
    // first only if the hub sent nothing.
    QUdpSocket marker;
    marker.writeDatagram("marker", QHostAddress::LocalHost, m_discovery->localPort());
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QCOMPARE(m_discovery->receiveDatagram().data(), QByteArray("marker"));
    QVERIFY(m_hub->clients().isEmpty());
}

void tst_NetworkMessenger::hubPortTaken()
{
    // Another program holds the hub port: no player can register, and that is
    // worth a warning. Scans go on all the same.
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost));
    HubSettings settings = makeSettings();
    settings.hubPort = other.serverPort();
    m_hub = std::make_unique<NetworkMessenger>(settings);

    QCOMPARE(m_log->warnings().size(), 1);
    QVERIFY2(m_log->warnings().first().startsWith(
                 QStringLiteral("Cannot listen for players on port %1 : ").arg(other.serverPort())),
             qPrintable(m_log->warnings().first()));
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
}

void tst_NetworkMessenger::extraTargets_data()
{
    QTest::addColumn<QStringList>("broadcast");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("beside the broadcast")
        << QStringList {"127.0.0.1"} << QStringList {"127.0.0.1", "127.0.0.2"}
        << QStringList {"Broadcasting to 127.0.0.1", "Also scanning at 127.0.0.2"};
    QTest::newRow("without a broadcast network")
        << QStringList() << QStringList {"127.0.0.2"}
        << QStringList {"No valid broadcast network found", "Also scanning at 127.0.0.2"};
}

void tst_NetworkMessenger::extraTargets()
{
    QFETCH(QStringList, broadcast);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, log);
    const auto addresses = [](const QStringList &texts) {
        QList<QHostAddress> list;
        for (const QString &text : texts)
            list.append(QHostAddress(text));
        return list;
    };
    HubSettings hubSettings = makeSettings(30000, addresses(broadcast));
    hubSettings.extraTargets = addresses(extra);
    m_hub = std::make_unique<NetworkMessenger>(hubSettings);
    QCOMPARE(m_log->lines(), QStringList {"Scanning for Clients"} + log);

    // One datagram to each address, then the marker: none twice.
    QSet<QString> expected(broadcast.cbegin(), broadcast.cend());
    expected.unite(QSet<QString>(extra.cbegin(), extra.cend()));
    QSet<QString> to;
    for (int i = 0; i < expected.size(); ++i) {
        QTRY_VERIFY(m_discovery->hasPendingDatagrams());
        const QNetworkDatagram datagram = m_discovery->receiveDatagram();
        QCOMPARE(datagram.data(), PlayerProtocol::discoveryDatagram(m_hub->hubPort()));
        to.insert(datagram.destinationAddress().toString());
    }
    QCOMPARE(to, expected);
    QUdpSocket marker;
    marker.writeDatagram("marker", QHostAddress::LocalHost, m_discovery->localPort());
    QTRY_VERIFY(m_discovery->hasPendingDatagrams());
    QCOMPARE(m_discovery->receiveDatagram().data(), QByteArray("marker"));
}

void tst_NetworkMessenger::registration_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("lobby") << record("lobby", "192.168.1.20", 8080) << "lobby"
                           << "192.168.1.20" << 8080 << R"("lobby" "192.168.1.20" on port 8080)";
    QTest::newRow("port 1F 90, empty name")
        << QByteArray::fromHex("0102030405").left(4) + QByteArray::fromHex("1F90") + char(12)
            + "192.168.1.20" + char(0)
        << ""
        << "192.168.1.20" << 8080 << R"("" "192.168.1.20" on port 8080)";
    QTest::newRow("address that does not parse")
        << record("attic", "not-an-ip", 7000) << "attic"
        << "" << 7000 << R"("attic" "not-an-ip" on port 7000)";
    QTest::newRow("bytes after the record") << record("den", "10.0.0.7", 1) + "trailing junk"
                                            << "den"
                                            << "10.0.0.7" << 1 << R"("den" "10.0.0.7" on port 1)";
}

void tst_NetworkMessenger::registration()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QString, logLine);

    m_hub = makeHub();
    m_log->clear();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QTcpSocket *link = openLink();
    QTRY_COMPARE(link->bytesAvailable(), 7);
    QCOMPARE(link->readAll(), QByteArray("*ready!"));
    link->write(bytes);

    QVERIFY(updated.wait());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(listed(0)->hostname(), name);
    QCOMPARE(listed(0)->ipAddress(), address);
    QCOMPARE(int(listed(0)->port()), port);
    QCOMPARE(m_log->lines(), QStringList {logLine});
    // The hub closes the link itself, without waiting for the player.
    QTRY_COMPARE(link->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(link->readAll(), QByteArray());
}

void tst_NetworkMessenger::recordOverSeveralReads()
{
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    const QByteArray bytes = record("lobby", "10.77.0.2", 9000);
    QTcpSocket *link = registerWith(bytes.left(5));
    for (int cut = 5; cut < bytes.size(); cut += 4) {
        QTRY_COMPARE(link->bytesToWrite(), 0);
        QCOMPARE(updated.count(), 0);
        link->write(bytes.mid(cut, 4));
    }
    QVERIFY(updated.wait());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(listed(0)->hostname(), QStringLiteral("lobby"));
}

void tst_NetworkMessenger::incompleteRecordIsDropped_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("playerCloses");

    const QByteArray full = record("lobby", "10.77.0.2", 9000);
    QTest::newRow("silent") << QByteArray() << false;
    QTest::newRow("shorter than 7 bytes") << full.left(6) << false;
    QTest::newRow("length bytes promise more") << full.left(full.size() - 1) << false;
    QTest::newRow("closed early") << full.left(10) << true;
}

void tst_NetworkMessenger::incompleteRecordIsDropped()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, playerCloses);

    m_hub = makeHub(playerCloses ? 30000 : 200);
    m_log->clear();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QTcpSocket *link = registerWith(bytes);
    if (playerCloses)
        link->disconnectFromHost();
    else
        QTRY_COMPARE(link->state(), QAbstractSocket::UnconnectedState); // dropped by the hub
    // A complete registration after it proves the failed one was handled first.
    registerWith(record("next", "10.77.0.3", 9001));
    QVERIFY(updated.wait());
    QCOMPARE(updated.count(), 1);
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(listed(0)->hostname(), QStringLiteral("next"));
    QCOMPARE(m_log->lines().size(), 1);
}

void tst_NetworkMessenger::silentPeerDelaysNobody()
{
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QTcpSocket *silent = openLink();
    QTRY_COMPARE(silent->bytesAvailable(), 7);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QVERIFY(updated.wait());
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(silent->state(), QAbstractSocket::ConnectedState);
}

void tst_NetworkMessenger::pendingLinksAreCapped()
{
    m_hub = makeHub();
    QList<QTcpSocket *> idle;
    for (int i = 0; i < NetworkMessenger::maximumPendingRegistrations; ++i)
        idle.append(openLink());
    for (QTcpSocket *link : qAsConst(idle))
        QTRY_COMPARE(link->bytesAvailable(), 7);

    // One more pending link pushes the oldest out; the others stay.
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(idle.first()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(updated.count() == 1 || updated.wait());
    QCOMPARE(m_hub->clients().size(), 1);
    QCOMPARE(idle.at(1)->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(idle.last()->state(), QAbstractSocket::ConnectedState);
}

void tst_NetworkMessenger::burstOfPlayers()
{
    // Every player answers a scan at once: more of them than the pending links
    // and Qt's own listen queue hold are all served in turn.
    m_hub = makeHub();
    const int players = 150;
    for (int i = 0; i < players; ++i) {
        QTcpSocket *link = openLink();
        connect(link, &QTcpSocket::readyRead, link, [link, i] {
            link->readAll();
            link->write(record(QStringLiteral("p%1").arg(i), "10.77.0.2", 9000));
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->clients().size(), players, 10000);
}

void tst_NetworkMessenger::registeringTwiceAndRescanning()
{
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 1);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 2);
    const QList<QObject *> before = m_hub->clients();
    QCOMPARE(before.size(), 2);
    QVERIFY(before.at(0) != before.at(1));

    // A scan empties the list without announcing it and keeps the objects.
    m_hub->scanForClients();
    QVERIFY(m_hub->clients().isEmpty());
    QCOMPARE(updated.count(), 2);

    // The player's object comes back when it registers again.
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 3);
    QCOMPARE(m_hub->clients().size(), 1);
    QVERIFY(before.contains(m_hub->clients().first()));

    // Objects nothing can reach any more are released at the next scan.
    m_hub->scanForClients();
    m_hub->clients(); // the scene re-reads the (now empty) list
    m_hub->scanForClients();
    QTRY_COMPARE(m_hub->clientObjectCount(), 0);
}

void tst_NetworkMessenger::queryClient()
{
    TestPlayer player;
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    registerWith(record("lobby", "127.0.0.1", player.port()));
    QVERIFY(updated.wait());

    // Without an active player a switch goes nowhere: the first link the
    // player sees carries the playlist request.
    QVERIFY(!m_hub->activeClient());
    m_hub->quintavo(3);
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    // Already active when the call returns, before any answer.
    QCOMPARE(m_hub->activeClient(), m_hub->clients().first());
    QCOMPARE(answers.count(), 0);
    QTRY_COMPARE(player.received(0), PlayerProtocol::playlistRequest());
    QCOMPARE(player.linkCount(), 1);

    player.reply(0, QByteArray(R"({"activeIndex":2,"quintavo":[{"description":"Snow"}]})") + '\0');
    QVERIFY(answers.wait());
    QCOMPARE(answers.count(), 1);
    const QJsonObject json = answers.at(0).at(0).toJsonObject();
    QCOMPARE(json.value("activeIndex").toInt(), 2);

    m_hub->quintavo(0);
    QTRY_COMPARE(player.received(1), PlayerProtocol::switchCommand(0));
    m_hub->quintavo(65535);
    QTRY_COMPARE(player.received(2), PlayerProtocol::switchCommand(65535));

    // The active player still gets commands after a scan has emptied the list.
    m_hub->scanForClients();
    m_hub->quintavo(3);
    QTRY_COMPARE(player.received(3), PlayerProtocol::switchCommand(3));
}

void tst_NetworkMessenger::queryClientMatching()
{
    TestPlayer first, second;
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);

    m_hub->queryClient(QStringLiteral("127.0.0.1")); // empty list: no effect
    QVERIFY(!m_hub->activeClient());

    registerWith(record("one", "127.0.0.1", first.port()));
    QTRY_COMPARE(updated.count(), 1);
    registerWith(record("two", "127.0.0.1", second.port()));
    QTRY_COMPARE(updated.count(), 2);
    registerWith(record("six", "fe80::1", second.port()));
    QTRY_COMPARE(updated.count(), 3);

    // Exact text only: no leading zeros, no other case.
    m_hub->queryClient(QStringLiteral("127.0.0.01"));
    m_hub->queryClient(QStringLiteral("FE80::1"));
    QVERIFY(!m_hub->activeClient());

    // The first of two equal addresses wins.
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QCOMPARE(m_hub->activeClient(), m_hub->clients().at(0));
    QTRY_COMPARE(first.linkCount(), 1);

    // A miss leaves the active player as it was.
    m_hub->scanForClients();
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QCOMPARE(qobject_cast<Client *>(m_hub->activeClient())->hostname(), QStringLiteral("one"));
    QCOMPARE(first.linkCount(), 1);
    QCOMPARE(second.linkCount(), 0);
}

void tst_NetworkMessenger::relaysOnlyTheActivePlayer()
{
    TestPlayer first, second;
    m_hub = makeHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    registerWith(record("one", "127.0.0.1", first.port()));
    QTRY_COMPARE(updated.count(), 1);

    // Opening the same player twice relays each answer once.
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(first.linkCount(), 2);
    QTRY_COMPARE(first.received(1).size(), 24);
    first.reply(1, QByteArray(R"({"activeIndex":1})") + '\0');
    QVERIFY(answers.wait());

    // Once another player is open, a late answer of the first is not relayed.
    auto *one = listed(0);
    m_hub->scanForClients();
    registerWith(record("two", "127.0.0.1", second.port()));
    QTRY_COMPARE(updated.count(), 2);
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(second.received(0).size(), 24);
    first.reply(1, QByteArray(R"({"activeIndex":7})") + '\0');
    QTRY_COMPARE(one->json().value("activeIndex"), QJsonValue(7));
    QCOMPARE(answers.count(), 1);
    second.reply(0, QByteArray(R"({"activeIndex":5})") + '\0');
    QVERIFY(answers.wait());
    QCOMPARE(answers.count(), 2);
    QCOMPARE(answers.at(1).at(0).toJsonObject().value("activeIndex").toInt(), 5);
}

void tst_NetworkMessenger::updateNotice()
{
    m_updates = std::make_unique<TestHttpServer>(
        200,
        R"({"type":"update","update":{"platform":"windows","version":"0.9.3",)"
        R"("description":"d","url":"u","show_message":false}})");
    m_hub = makeHub();
    QSignalSpy notices(m_hub.get(), &NetworkMessenger::newUpdate);
    QVERIFY(notices.wait());
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0), QVariantList({"0.9.3", "d", "u", false}));
}

void tst_NetworkMessenger::updateCheckIsOptional()
{
    // The request is under way as soon as the hub exists.
    m_hub = makeHub();
    QCOMPARE(m_hub->findChildren<QNetworkReply *>().size(), 1);
    HubSettings quiet = makeSettings();
    quiet.checkForUpdate = false;
    m_hub = std::make_unique<NetworkMessenger>(quiet);
    QVERIFY(m_hub->findChildren<QNetworkReply *>().isEmpty());
}

void tst_NetworkMessenger::metaObject()
{
    QCOMPARE(
        metaSurface(NetworkMessenger::staticMetaObject),
        QStringList({"class NetworkMessenger : QObject", "signal void clientsUpdated()",
                     "signal void activeClientChanged(QJsonObject json)",
                     "signal void newUpdate(QString version, QString description, "
                     "QString url, bool showMessage)",
                     "slot void addClient()", "slot void clientDisconnect()",
                     "slot void jsonUpdated(QJsonObject json)", "slot void updateAvailable()",
                     "method void scanForClients()", "method void queryClient(QString ipAddress)",
                     "method void quintavo(ushort index)",
                     "property QList<QObject*> clients read notify=clientsUpdated",
                     "property QObject* activeClient read notify=activeClientChanged"}));

    // The scene uses the list as a model: it must be iterable as a sequence.
    m_hub = makeHub();
    const QVariant list = m_hub->property("clients");
    QCOMPARE(list.typeName(), "QList<QObject*>");
    QVERIFY(list.canConvert<QVariantList>());
    QVERIFY(!m_hub->property("activeClient").value<QObject *>());
}

QTEST_GUILESS_MAIN(tst_NetworkMessenger)
#include "tst_networkmessenger.moc"
