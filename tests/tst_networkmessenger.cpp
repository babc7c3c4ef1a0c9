// The hub over loopback: scans and their rounds, the players it remembers,
// the list of players and the active one, what the rows say players play, and
// the update notice.
#include "client.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerfile.h"
#include "playerprotocol.h"
#include "playerstore.h"
#include "scriptedplayer.h"
#include "support.h"
#include "updateservice.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

class tst_NetworkMessenger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundsAndRememberedPlayers();
    void registeringTwiceAndRescanning();
    void activePlayer();
    void directoryOpensItsOwnPlayer();
    void rowsSayWhatPlayersPlay();
    void updateCheck();

private:
    HubSettings settings() const { return Support::loopbackHub(m_discovery->localPort()); }
    // A hub whose first scan has gone out: discovery scans on a thread of its
    // own.
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

    std::unique_ptr<QUdpSocket> m_discovery; // where the hub's datagrams arrive
    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<NetworkMessenger> m_hub;
};

namespace {

QByteArray record(const QString &name, const QString &address, quint16 port)
{
    return PlayerProtocol::encodeRegistrationRecord({port, address, name}, 0xCAFEBABE);
}

} // namespace

void tst_NetworkMessenger::init()
{
    m_discovery = std::make_unique<QUdpSocket>();
    QVERIFY(m_discovery->bind(QHostAddress::AnyIPv4, 0));
    m_player = std::make_unique<ScriptedPlayer>();
}

void tst_NetworkMessenger::cleanup()
{
    m_player.reset();
    m_hub.reset();
    m_discovery.reset();
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

void tst_NetworkMessenger::registeringTwiceAndRescanning()
{
    startHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    registerWith(record("lobby", "10.77.0.2", 9000));
    QTRY_COMPARE(updated.count(), 1);
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(listed(0)->hostname(), listed(0)->ipAddress())
                 .arg(listed(0)->port()),
             QStringLiteral("lobby 10.77.0.2 9000"));
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

void tst_NetworkMessenger::updateCheck()
{
    UpdateService service;
    service.setBody(R"({"type":"update","update":{"platform":"windows","version":"0.9.3",)"
                    R"("description":"d","url":"u","show_message":false}})");
    QString error;
    QVERIFY2(service.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    QSignalSpy requests(&service, &UpdateService::logged);
    HubSettings hubSettings = settings();
    hubSettings.updateUrl
        = QUrl(QStringLiteral("http://127.0.0.1:%1/qarn/update.php").arg(service.port()));
    // The service is asked as soon as the hub exists, if the settings say so;
    // otherwise when the check is asked for, once however often it is.
    for (const bool atStart : {true, false}) {
        hubSettings.checkForUpdate = atStart;
        startHub(hubSettings);
        QSignalSpy notices(m_hub.get(), &NetworkMessenger::newUpdate);
        if (!atStart) {
            registerWith(record("lobby", "10.77.0.2", 9000));
            QTRY_COMPARE(m_hub->clients().size(), 1);
            QCOMPARE(requests.count(), 1);
            m_hub->checkForUpdate();
            m_hub->checkForUpdate();
        }
        QVERIFY(notices.wait());
        QCOMPARE(notices.at(0), QVariantList({"0.9.3", "d", "u", false}));
        QCOMPARE(requests.count(), atStart ? 1 : 2);
    }
}

QTEST_GUILESS_MAIN(tst_NetworkMessenger)
#include "tst_networkmessenger.moc"
