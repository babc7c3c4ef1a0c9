// The hub over loopback: the list of players (a burst of them too) and the
// active one, what the rows say players play, and the update check. (The
// players it remembers and its rounds of scans: tst_playerdirectory,
// tst_playerstore, and end to end e2e_cli and e2e_desktop.)
#include "client.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerprotocol.h"
#include "playlistmodel.h"
#include "scriptedplayer.h"
#include "support.h"
#include "updateservice.h"

#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

class tst_NetworkMessenger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registeringTwiceAndRescanning();
    void burstOfPlayers();
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
    // Whether the hub lists count players once record is registered.
    bool lists(int count, const QByteArray &record)
    {
        registerWith(record);
        return Support::waitFor([&] { return m_hub->clients().size() == count; });
    }
    Client *listed(int index) const
    {
        return qobject_cast<Client *>(m_hub->clients().value(index));
    }

    std::unique_ptr<QUdpSocket> m_discovery; // where the hub's datagrams arrive
    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<NetworkMessenger> m_hub;
};

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

void tst_NetworkMessenger::registeringTwiceAndRescanning()
{
    startHub();
    QSignalSpy updated(m_hub.get(), &NetworkMessenger::clientsUpdated);
    registerWith(m_player->record("lobby", "10.77.0.2"));
    QTRY_COMPARE(updated.count(), 1);
    QCOMPARE(QStringLiteral("%1 %2 %3")
                 .arg(listed(0)->hostname(), listed(0)->ipAddress())
                 .arg(listed(0)->port()),
             QStringLiteral("lobby 10.77.0.2 %1").arg(m_player->commandPort()));
    registerWith(m_player->record("lobby", "10.77.0.2"));
    QTRY_COMPARE(updated.count(), 2);
    const QList<QObject *> before = m_hub->clients();
    QCOMPARE(before.size(), 2);
    QVERIFY(before.at(0) != before.at(1));

    // A scan empties the list without announcing it.
    m_hub->scanForClients();
    QVERIFY(m_hub->clients().isEmpty());
    QCOMPARE(updated.count(), 2);

    // The player's object comes back when it registers again.
    registerWith(m_player->record("lobby", "10.77.0.2"));
    QTRY_COMPARE(updated.count(), 3);
    QCOMPARE(m_hub->clients().size(), 1);
    QVERIFY(before.contains(m_hub->clients().first()));
    // An address that does not parse is none.
    QVERIFY(lists(2, m_player->record("attic", "not-an-ip")));
    QCOMPARE(listed(1)->ipAddress(), QString());
}

void tst_NetworkMessenger::burstOfPlayers()
{
    // Every player answers a scan at once: more of them than discovery's
    // pending links and Qt's own listen queue hold are all served in turn.
    startHub();
    const int players = 150;
    for (int i = 0; i < players; ++i)
        registerWith(m_player->record(QStringLiteral("p%1").arg(i), "10.77.0.2"));
    QTRY_COMPARE_WITH_TIMEOUT(m_hub->clients().size(), players, 10000);
}

void tst_NetworkMessenger::activePlayer()
{
    ScriptedPlayer second;
    startHub();
    QSignalSpy answers(m_hub.get(), &NetworkMessenger::activeClientChanged);
    m_hub->queryClient(QStringLiteral("127.0.0.1")); // empty list: no effect
    QVERIFY(lists(1, m_player->record("one")));
    QVERIFY(lists(2, second.record("two")));
    QVERIFY(lists(3, second.record("six", "fe80::1")));

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
    m_player->reply(1, QByteArray(R"({"activeIndex":2})") + '\0');
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
    QVERIFY(lists(1, second.record("two")));
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
    QVERIFY(lists(1, m_player->record("screen")));
    QVERIFY(lists(2, second.record("screen")));
    m_hub->scanForClients();
    QVERIFY(lists(1, m_player->record("screen")));

    // The first player's screen shows its video; opening the second's row
    // empties it at once, and the directory names that row as the open one.
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_player->received(0), PlayerProtocol::playlistRequest());
    m_player->reply(0,
                    QByteArray(R"({"activeIndex":1,"quintavo":[{"description":"Dawn"}]})") + '\0');
    QTRY_COMPARE(m_hub->playlist()->rowCount(), 1);
    PlayerDirectory *directory = m_hub->directory();
    QCOMPARE(directory->rowCount(), 2);
    const int row = m_player->commandPort() < second.commandPort() ? 1 : 0;
    QCOMPARE(directory->openedRow(), 1 - row);
    directory->open(row);
    QCOMPARE(m_hub->playlist()->rowCount(), 0);
    QCOMPARE(directory->openedRow(), row);
    QCOMPARE(m_hub->activeClient(), directory->client("127.0.0.1", second.commandPort()));
    QTRY_COMPARE(second.received(0), PlayerProtocol::playlistRequest());
    QCOMPARE(m_player->linkCount(), 1);
}

void tst_NetworkMessenger::rowsSayWhatPlayersPlay()
{
    // A hub whose directory asks its players (all on loopback) what they play.
    HubSettings asking = settings();
    asking.askWhatPlayersPlay = true;
    asking.playingPace.afterSwitch = 10;
    startHub(asking);
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

    // The player screen's own link: its answers show on the row too. After
    // a switch the player is asked again, on another link.
    m_hub->queryClient(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(m_player->received(1), PlayerProtocol::playlistRequest());
    m_player->reply(1, QByteArray(R"({"activeIndex":0,"quintavo":[]})") + '\0');
    QTRY_COMPARE(playing(), QStringLiteral("0 Default"));
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
            QVERIFY(lists(1, m_player->record("lobby", "10.77.0.2")));
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
