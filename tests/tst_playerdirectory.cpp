// The directory of players the list on screen shows: its order, rows that keep
// their identity through registrations, renames and scans, and presence.
#include "client.h"
#include "playerdirectory.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>
#include <vector>

class tst_PlayerDirectory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void order_data();
    void order();
    void updateInPlaceAndMoveOnRename();
    void scanOfPlayersThatAnsweredTouchesNoRow();
    void presence();
    void twoPlayersAtOneAddress();

private:
    // A player object as the hub makes one for a registration.
    Client *player(const QString &name, const QString &address, quint16 port = 7000)
    {
        m_players.push_back(std::make_unique<Client>(name, QHostAddress(address), port));
        return m_players.back().get();
    }
    QStringList names() const
    {
        QStringList shown;
        for (int row = 0; row < m_directory->rowCount(); ++row)
            shown << m_directory->index(row).data(PlayerDirectory::HostnameRole).toString();
        return shown;
    }
    bool answering(int row) const
    {
        return m_directory->index(row).data(PlayerDirectory::AnsweringRole).toBool();
    }

    std::vector<std::unique_ptr<Client>> m_players;
    std::unique_ptr<PlayerDirectory> m_directory;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_PlayerDirectory::init()
{
    qRegisterMetaType<Client *>();
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
    m_directory = std::make_unique<PlayerDirectory>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_directory.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void tst_PlayerDirectory::cleanup()
{
    m_tester.reset();
    m_directory.reset();
    m_players.clear();
}

void tst_PlayerDirectory::order_data()
{
    QTest::addColumn<QStringList>("registered"); // "name address" in order of registration
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("numbers as numbers")
        << QStringList {"stage-10 10.0.0.1", "stage-2 10.0.0.2", "stage-1 10.0.0.3"}
        << QStringList {"stage-1 10.0.0.3", "stage-2 10.0.0.2", "stage-10 10.0.0.1"};
    QTest::newRow("case does not count")
        << QStringList {"Cafe 10.0.0.1", "bar 10.0.0.2", "ATRIUM 10.0.0.3"}
        << QStringList {"ATRIUM 10.0.0.3", "bar 10.0.0.2", "Cafe 10.0.0.1"};
    QTest::newRow("same name: by address, numerically")
        << QStringList {"lobby 10.0.0.11", "lobby 10.0.0.9", "foyer 10.0.0.10"}
        << QStringList {"foyer 10.0.0.10", "lobby 10.0.0.9", "lobby 10.0.0.11"};
    QTest::newRow("no name first")
        << QStringList {"b 10.0.0.1", " 10.0.0.2"} << QStringList {" 10.0.0.2", "b 10.0.0.1"};
}

void tst_PlayerDirectory::order()
{
    QFETCH(QStringList, registered);
    QFETCH(QStringList, shown);
    for (const QString &entry : registered)
        m_directory->registered(player(entry.section(' ', 0, 0), entry.section(' ', 1)));
    QStringList rows;
    for (int row = 0; row < m_directory->rowCount(); ++row)
        rows << names().at(row) + ' '
                + m_directory->index(row).data(PlayerDirectory::IpAddressRole).toString();
    QCOMPARE(rows, shown);
}

void tst_PlayerDirectory::updateInPlaceAndMoveOnRename()
{
    Client *bar = player("bar", "10.0.0.2");
    Client *cafe = player("cafe", "10.0.0.3");
    Client *atrium = player("atrium", "10.0.0.1");
    for (Client *client : {bar, cafe, atrium})
        m_directory->registered(client);
    QCOMPARE(names(), QStringList({"atrium", "bar", "cafe"}));

    QSignalSpy inserted(m_directory.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_directory.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(m_directory.get(), &QAbstractItemModel::rowsMoved);
    QSignalSpy changed(m_directory.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(m_directory.get(), &QAbstractItemModel::modelReset);

    // Registering again changes nothing that shows.
    m_directory->registered(bar);
    QCOMPARE(changed.count(), 0);

    // A rename moves the row, which keeps its player: renamed to the end, then
    // to the front.
    const QPersistentModelIndex row(m_directory->index(1));
    bar->setHostname("zoo");
    m_directory->registered(bar);
    QCOMPARE(names(), QStringList({"atrium", "cafe", "zoo"}));
    QCOMPARE(row.row(), 2);
    QCOMPARE(row.data(PlayerDirectory::PlayerRole).value<QObject *>(), bar);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 2);
    bar->setHostname("aardvark");
    m_directory->registered(bar);
    QCOMPARE(names(), QStringList({"aardvark", "atrium", "cafe"}));
    QCOMPARE(row.row(), 0);
    // A new name that keeps the place changes the row's text only.
    bar->setHostname("aardwolf");
    m_directory->registered(bar);
    QCOMPARE(names(), QStringList({"aardwolf", "atrium", "cafe"}));

    QCOMPARE(moved.count(), 2);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(inserted.count() + removed.count() + reset.count(), 0);

    // A second object for the same player between two scans leaves the row
    // with its first.
    m_directory->registered(player("impostor", "10.0.0.2"));
    QCOMPARE(names(), QStringList({"aardwolf", "atrium", "cafe"}));
    QCOMPARE(m_directory->client("10.0.0.2", 7000), bar);
}

void tst_PlayerDirectory::scanOfPlayersThatAnsweredTouchesNoRow()
{
    const QStringList all {"a", "b", "c", "d"};
    for (int i = 0; i < all.size(); ++i)
        m_directory->registered(player(all.at(i), QStringLiteral("10.0.0.%1").arg(i + 1)));
    for (int scan = 0; scan < 5; ++scan) {
        QSignalSpy changed(m_directory.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy layout(m_directory.get(), &QAbstractItemModel::layoutChanged);
        QSignalSpy removed(m_directory.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(m_directory.get(), &QAbstractItemModel::rowsMoved);
        m_directory->scanStarted();
        // Every player answers, in another order each time.
        for (int i = 0; i < all.size(); ++i)
            m_directory->registered(m_players.at(size_t((i + scan) % all.size())).get());
        QCOMPARE(changed.count() + layout.count() + removed.count() + moved.count(), 0);
    }
    QCOMPARE(names(), all);
}

void tst_PlayerDirectory::presence()
{
    Client *staying = player("staying", "10.0.0.1");
    Client *leaving = player("leaving", "10.0.0.2");
    m_directory->registered(staying);
    m_directory->registered(leaving);
    QSignalSpy changed(m_directory.get(), &QAbstractItemModel::dataChanged);

    // Missing one scan dims the row; the player can still be opened.
    m_directory->scanStarted();
    m_directory->registered(staying);
    m_directory->scanStarted();
    m_directory->registered(staying);
    QCOMPARE(names(), QStringList({"leaving", "staying"}));
    QVERIFY(!answering(0));
    QVERIFY(answering(1));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(2).value<QVector<int>>(),
             QVector<int> {PlayerDirectory::AnsweringRole});
    QSignalSpy opened(m_directory.get(), &PlayerDirectory::openRequested);
    m_directory->open(0);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).value<Client *>(), leaving);

    // Answering again brightens it at once.
    m_directory->registered(leaving);
    QVERIFY(answering(0));

    // Three missed scans in a row and it goes; the other stays throughout.
    QSignalSpy removed(m_directory.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy count(m_directory.get(), &PlayerDirectory::countChanged);
    for (int scan = 1; scan <= 4; ++scan) {
        m_directory->scanStarted();
        m_directory->registered(staying);
        QCOMPARE(removed.count(), scan < 4 ? 0 : 1);
    }
    QCOMPARE(names(), QStringList({"staying"}));
    QCOMPARE(count.count(), 1);
    QVERIFY(!m_directory->holds(leaving));
    QCOMPARE(m_directory->rowOf(leaving), -1);
    QCOMPARE(m_directory->rowOf(staying), 0);
}

void tst_PlayerDirectory::twoPlayersAtOneAddress()
{
    // Two players behind one address (a NAT, or two on one machine) are two
    // rows; each opens its own player.
    Client *first = player("screen", "10.0.0.1", 7000);
    Client *second = player("screen", "10.0.0.1", 7001);
    m_directory->registered(second);
    m_directory->registered(first);
    QCOMPARE(m_directory->rowCount(), 2);
    QSignalSpy opened(m_directory.get(), &PlayerDirectory::openRequested);
    m_directory->open(0);
    m_directory->open(1);
    m_directory->open(2); // no such row
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(0).at(0).value<Client *>(), first);
    QCOMPARE(opened.at(1).at(0).value<Client *>(), second);
}

QTEST_GUILESS_MAIN(tst_PlayerDirectory)

#include "tst_playerdirectory.moc"
