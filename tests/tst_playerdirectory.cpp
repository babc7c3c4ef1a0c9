// The directory of players the list on screen shows: its order, rows that keep
// their identity through registrations, renames, scans and moves, presence by
// scan rounds, and the players it remembers from one run to the next.
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
    void roundOfPlayersThatAnsweredTouchesNoRow();
    void presence_data();
    void presence();
    void twoPlayersAtOneAddress();
    void rememberedAtStart();
    void forget();
    void unseenForThirtyDays_data();
    void unseenForThirtyDays();
    void rememberedLimit();
    void movedPlayer_data();
    void movedPlayer();

private:
    // A player registers; the object the hub lists for it.
    Client *registers(const QString &name, const QString &address, quint16 port = 7000)
    {
        return m_directory->registered(name, address, port);
    }
    // Deletes what was let go.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // A player remembered from an earlier run, last seen that many hours ago.
    RememberedPlayer remembered(const QString &name, const QString &address, double hoursAgo)
    {
        const QDateTime seen = m_now.addSecs(qint64(-hoursAgo * 3600));
        return {name, address, 7000, seen.addDays(-1), seen, -1, QString()};
    }
    QStringList names() const
    {
        QStringList shown;
        for (int row = 0; row < m_directory->rowCount(); ++row)
            shown << m_directory->index(row).data(PlayerDirectory::HostnameRole).toString();
        return shown;
    }
    QVariant role(int row, int role) const { return m_directory->index(row).data(role); }
    bool answering(int row) const { return role(row, PlayerDirectory::AnsweringRole).toBool(); }

    QDateTime m_now = QDateTime(QDate(2024, 3, 5), QTime(14, 0), Qt::UTC);
    std::unique_ptr<PlayerDirectory> m_directory;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_PlayerDirectory::init()
{
    qRegisterMetaType<Client *>();
    qRegisterMetaType<PlayerAddress>();
    qRegisterMetaType<QList<QPersistentModelIndex>>();
    qRegisterMetaType<QAbstractItemModel::LayoutChangeHint>();
    m_directory = std::make_unique<PlayerDirectory>();
    m_directory->setClock([this] { return m_now; });
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_directory.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void tst_PlayerDirectory::cleanup()
{
    m_tester.reset();
    m_directory.reset();
    settle();
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
        registers(entry.section(' ', 0, 0), entry.section(' ', 1));
    QStringList rows;
    for (int row = 0; row < m_directory->rowCount(); ++row)
        rows << names().at(row) + ' ' + role(row, PlayerDirectory::IpAddressRole).toString();
    QCOMPARE(rows, shown);
}

void tst_PlayerDirectory::updateInPlaceAndMoveOnRename()
{
    Client *bar = registers("bar", "10.0.0.2");
    registers("cafe", "10.0.0.3");
    registers("atrium", "10.0.0.1");
    QCOMPARE(names(), QStringList({"atrium", "bar", "cafe"}));

    QSignalSpy inserted(m_directory.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(m_directory.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(m_directory.get(), &QAbstractItemModel::rowsMoved);
    QSignalSpy changed(m_directory.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(m_directory.get(), &QAbstractItemModel::modelReset);

    // Registering again at the next scan changes nothing that shows, and
    // keeps the player's object.
    m_directory->scanStarted();
    QCOMPARE(registers("bar", "10.0.0.2"), bar);
    QCOMPARE(changed.count(), 0);

    // A rename moves the row, which keeps its player: renamed to the end, then
    // to the front.
    const QPersistentModelIndex row(m_directory->index(1));
    m_directory->scanStarted();
    QCOMPARE(registers("zoo", "10.0.0.2"), bar);
    QCOMPARE(names(), QStringList({"atrium", "cafe", "zoo"}));
    QCOMPARE(row.row(), 2);
    QCOMPARE(bar->hostname(), QStringLiteral("zoo"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 2);
    m_directory->scanStarted();
    registers("aardvark", "10.0.0.2");
    QCOMPARE(names(), QStringList({"aardvark", "atrium", "cafe"}));
    QCOMPARE(row.row(), 0);
    // A new name that keeps the place changes the row's text only.
    m_directory->scanStarted();
    registers("aardwolf", "10.0.0.2");
    QCOMPARE(names(), QStringList({"aardwolf", "atrium", "cafe"}));

    QCOMPARE(moved.count(), 2);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(inserted.count() + removed.count() + reset.count(), 0);

    // A second registration between two scans gets an object of its own,
    // which lasts until the next scan; the row keeps its first, and its name.
    const QPointer<Client> second = registers("impostor", "10.0.0.2");
    QVERIFY(second && second != bar);
    QCOMPARE(names(), QStringList({"aardwolf", "atrium", "cafe"}));
    QCOMPARE(m_directory->client("10.0.0.2", 7000), bar);
    m_directory->scanStarted();
    settle();
    QVERIFY(!second);
    QCOMPARE(m_directory->client("10.0.0.2", 7000), bar);
    QCOMPARE(bar->hostname(), QStringLiteral("aardwolf"));
}

void tst_PlayerDirectory::roundOfPlayersThatAnsweredTouchesNoRow()
{
    const QStringList all {"a", "b", "c", "d"};
    const auto address = [](int i) {
        return QStringLiteral("10.0.0.%1").arg(i + 1);
    };
    for (int i = 0; i < all.size(); ++i)
        registers(all.at(i), address(i));
    for (int scan = 0; scan < 5; ++scan) {
        QSignalSpy changed(m_directory.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy layout(m_directory.get(), &QAbstractItemModel::layoutChanged);
        QSignalSpy removed(m_directory.get(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(m_directory.get(), &QAbstractItemModel::rowsMoved);
        m_now = m_now.addSecs(10);
        const int number = m_directory->scanStarted();
        // Every player answers, in another order each time.
        for (int i = 0; i < all.size(); ++i) {
            const int player = (i + scan) % all.size();
            registers(all.at(player), address(player));
        }
        QVERIFY(m_directory->unanswered(number).isEmpty());
        m_directory->scanEnded(number);
        QCOMPARE(changed.count() + layout.count() + removed.count() + moved.count(), 0);
    }
    QCOMPARE(names(), all);
}

void tst_PlayerDirectory::presence_data()
{
    // What happens, in order: R the player registers (by broadcast or by the
    // datagram at its address), M it is remembered from an earlier run, S a
    // scan begins with the broadcast, D the latest scan's direct datagrams are
    // due, V its verdict; D1 and V1 those of the scan before it. What is
    // noted: at each D the datagrams due, at each ? how the row stands: a
    // answering, s not seen yet, n not answering.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("noted");
    // How often it appeared: listed anew, or answering after it did not (it
    // is asked what it plays then).
    QTest::addColumn<int>("appeared");

    QTest::newRow("answers the broadcast") << "R S R D V ?"
                                           << "0a" << 1;
    QTest::newRow("answers only the direct datagram") << "R S D R V ? S D R V ?"
                                                      << "1a1a" << 1;
    QTest::newRow("answers neither") << "R S D ? V ?"
                                     << "1an" << 1;
    QTest::newRow("answers late, after the verdict") << "R S D V R ?"
                                                     << "1a" << 2;
    QTest::newRow("one direct datagram a scan") << "R S D D V S D V"
                                                << "101" << 1;
    QTest::newRow("stops between two scans of a few seconds") << "R S R S D1 D V1 ? V ?"
                                                              << "01an" << 1;
    QTest::newRow("answers the second of two scans late") << "R S S D1 D R V1 ? V ?"
                                                          << "10aa" << 1;
    QTest::newRow("remembered, answers") << "M ? S R D V ?"
                                         << "s0a" << 1;
    QTest::newRow("remembered, silent") << "M ? S D ? V ? S D V ?"
                                        << "s1sn1n" << 0;
}

void tst_PlayerDirectory::presence()
{
    QFETCH(QString, script);
    QFETCH(QString, noted);
    QFETCH(int, appeared);

    QSignalSpy appearances(m_directory.get(), &PlayerDirectory::playerAppeared);
    QString seen;
    QVector<int> scans;
    for (const QString &step : script.split(' ')) {
        const int scan = scans.value(scans.size() - (step.endsWith('1') ? 2 : 1));
        if (step == "R")
            registers("lobby", "10.0.0.7");
        else if (step == "M")
            m_directory->remember({remembered("lobby", "10.0.0.7", 3)});
        else if (step == "S")
            scans.append(m_directory->scanStarted());
        else if (step.startsWith('D'))
            seen += QString::number(m_directory->unanswered(scan).size());
        else if (step.startsWith('V'))
            m_directory->scanEnded(scan);
        else
            seen += m_directory->index(0).data(PlayerDirectory::NotSeenYetRole).toBool() ? 's'
                : answering(0)                                                           ? 'a'
                                                                                         : 'n';
    }
    QCOMPARE(seen, noted);
    QCOMPARE(m_directory->rowCount(), 1);
    QCOMPARE(appearances.count(), appeared);
}

void tst_PlayerDirectory::twoPlayersAtOneAddress()
{
    // Two players behind one address (a NAT, or two on one machine) are two
    // rows; each opens its own player, and each is sent one direct datagram.
    Client *second = registers("screen", "10.0.0.1", 7001);
    Client *first = registers("screen", "10.0.0.1", 7000);
    QCOMPARE(m_directory->rowCount(), 2);
    QSignalSpy opened(m_directory.get(), &PlayerDirectory::openRequested);
    m_directory->open(0);
    m_directory->open(1);
    m_directory->open(2); // no such row
    QCOMPARE(opened.count(), 2);
    QCOMPARE(opened.at(0).at(0).value<Client *>(), first);
    QCOMPARE(opened.at(1).at(0).value<Client *>(), second);
    QCOMPARE(m_directory->unanswered(m_directory->scanStarted()),
             QList<QHostAddress> {QHostAddress("10.0.0.1")});
}

void tst_PlayerDirectory::rememberedAtStart()
{
    // One player answered before the file was read; the others are listed
    // in their places, not seen yet, with what they last played.
    Client *early = registers("cafe", "10.0.0.3");
    RememberedPlayer cafe = remembered("cafe", "10.0.0.3", 20);
    cafe.playingIndex = 2;
    cafe.playing = "Evening loop";
    RememberedPlayer foyer = remembered("foyer", "10.0.0.4", 2);
    foyer.playingIndex = 0;
    const QVector<RememberedPlayer> file {remembered("zoo", "10.0.0.9", 1), cafe, foyer,
                                          remembered("atrium", "10.0.0.1", 30),
                                          remembered("bar", "10.0.0.2", 5)};
    QSignalSpy inserted(m_directory.get(), &QAbstractItemModel::rowsInserted);
    m_directory->remember(file);
    QCOMPARE(names(), QStringList({"atrium", "bar", "cafe", "foyer", "zoo"}));
    QCOMPARE(inserted.count(), 2); // the rows before cafe, then those after it
    QCOMPARE(m_directory->rowOf(early), 2);
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(answering(row), row == 2);
        QCOMPARE(role(row, PlayerDirectory::NotSeenYetRole).toBool(), row != 2);
    }
    QCOMPARE(m_directory->client("10.0.0.2", 7000), nullptr);
    QCOMPARE(role(3, PlayerDirectory::PlayingIndexRole).toInt(), 0);
    QVERIFY(role(3, PlayerDirectory::PlayingStaleRole).toBool());
    QCOMPARE(role(3, PlayerDirectory::LastSeenRole).toDateTime(), foyer.lastSeen);
    // The early one keeps what it said and takes what the file knew.
    QCOMPARE(role(2, PlayerDirectory::PlayingRole).toString(), QStringLiteral("Evening loop"));

    // The first verdict: those that did not answer say when they were last
    // seen; today, yesterday or before.
    const int scan = m_directory->scanStarted();
    QCOMPARE(registers("cafe", "10.0.0.3"), early);
    m_directory->scanEnded(scan);
    QCOMPARE(role(3, PlayerDirectory::NotSeenYetRole).toBool(), false);
    QCOMPARE(role(3, PlayerDirectory::LastSeenDaysAgoRole).toInt(),
             foyer.lastSeen.toLocalTime().date().daysTo(m_now.toLocalTime().date()));
    QVERIFY(role(0, PlayerDirectory::LastSeenDaysAgoRole).toInt() >= 1);

    // Opened, a remembered player gets its object, which its row keeps.
    QSignalSpy opened(m_directory.get(), &PlayerDirectory::openRequested);
    m_directory->open(1);
    QCOMPARE(opened.count(), 1);
    auto *player = opened.at(0).at(0).value<Client *>();
    QCOMPARE(player->ipAddress(), QStringLiteral("10.0.0.2"));
    QCOMPARE(m_directory->rowOf(player), 1);
    QCOMPARE(m_directory->client("10.0.0.2", 7000), player);

    // What is remembered again: the same players, the early one seen now.
    QVector<RememberedPlayer> kept = m_directory->remembered();
    QCOMPARE(kept.size(), 5);
    QCOMPARE(kept.at(2).lastSeen, m_now);
    QCOMPARE(kept.at(2).firstSeen, cafe.firstSeen);
    QCOMPARE(kept.at(3), foyer);
}

void tst_PlayerDirectory::forget()
{
    for (const char *name : {"atrium", "bar", "cafe"})
        registers(name, QStringLiteral("10.0.0.%1").arg(names().size() + 1));
    const QPointer<Client> bar = m_directory->client("10.0.0.2", 7000);
    QSignalSpy left(m_directory.get(), &PlayerDirectory::playerLeft);
    QSignalSpy remember(m_directory.get(), &PlayerDirectory::rememberedChanged);
    const QPersistentModelIndex cafe(m_directory->index(2));
    m_directory->forget(1);
    m_directory->forget(5); // no such row
    QCOMPARE(names(), QStringList({"atrium", "cafe"}));
    QCOMPARE(cafe.row(), 1);
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).value<PlayerAddress>(),
             PlayerAddress(QStringLiteral("10.0.0.2"), 7000));
    QCOMPARE(remember.count(), 1);
    QCOMPARE(m_directory->remembered().size(), 2);
    // Its object went with its row.
    settle();
    QVERIFY(!bar);
    // It comes back as a new player when it answers again.
    registers("bar", "10.0.0.2");
    QCOMPARE(names(), QStringList({"atrium", "bar", "cafe"}));
}

void tst_PlayerDirectory::unseenForThirtyDays_data()
{
    QTest::addColumn<double>("hoursAgo"); // last seen, when the file is read
    QTest::addColumn<double>("laterHours"); // the verdict, this much later
    QTest::addColumn<bool>("listedAtStart");
    QTest::addColumn<bool>("listedAfter");

    QTest::newRow("29 days") << 29 * 24.0 << 1.0 << true << true;
    QTest::newRow("30 days by a verdict") << 30 * 24.0 - 1 << 2.0 << true << false;
    QTest::newRow("30 days in the file") << 30 * 24.0 + 1 << 0.0 << false << false;
}

void tst_PlayerDirectory::unseenForThirtyDays()
{
    QFETCH(double, hoursAgo);
    QFETCH(double, laterHours);
    QFETCH(bool, listedAtStart);
    QFETCH(bool, listedAfter);

    registers("live", "10.0.0.1");
    m_directory->remember({remembered("old", "10.0.0.2", hoursAgo)});
    QCOMPARE(names().contains("old"), listedAtStart);
    m_now = m_now.addSecs(qint64(laterHours * 3600));
    const int scan = m_directory->scanStarted();
    registers("live", "10.0.0.1");
    m_directory->scanEnded(scan);
    QCOMPARE(names().contains("old"), listedAfter);
    QVERIFY(names().contains("live"));
}

void tst_PlayerDirectory::rememberedLimit()
{
    // A file of more than the limit: the most recently seen are listed.
    const int limit = PlayerDirectory::rememberedLimit;
    QVector<RememberedPlayer> file;
    for (int i = 0; i <= limit; ++i)
        file.append(remembered(QStringLiteral("p%1").arg(i),
                               QStringLiteral("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1),
                               i / 60.0));
    m_tester.reset(); // it checks every row of every change: slow at this size
    m_directory->remember(file);
    QCOMPARE(m_directory->rowCount(), limit);
    QVERIFY(!names().contains(QStringLiteral("p%1").arg(limit)));

    // A new player: the longest unseen goes; one that answers never does.
    registers("p999", "10.1.3.250");
    registers("new", "10.9.0.1");
    QCOMPARE(m_directory->rowCount(), limit);
    QVERIFY(names().contains("new"));
    QVERIFY(names().contains("p999"));
    QVERIFY(!names().contains("p998"));
    QCOMPARE(m_directory->remembered().size(), limit);
}

void tst_PlayerDirectory::movedPlayer_data()
{
    // Remembered and listed before the registration: "name address", each
    // not answering unless marked "+" (it answers).
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("registers"); // name and its new address
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("moved") << QStringList {"screen 10.0.0.1", "bar 10.0.0.2"} << "screen 10.0.0.9"
                           << QStringList {"bar 10.0.0.2", "screen 10.0.0.9"};
    QTest::newRow("moved, name in another case")
        << QStringList {"Screen 10.0.0.1"} << "screen 10.0.0.9" << QStringList {"screen 10.0.0.9"};
    QTest::newRow("two that could have moved")
        << QStringList {"screen 10.0.0.1", "screen 10.0.0.2"} << "screen 10.0.0.9"
        << QStringList {"screen 10.0.0.1", "screen 10.0.0.2", "screen 10.0.0.9"};
    QTest::newRow("one of that name answers")
        << QStringList {"screen 10.0.0.1 +", "screen 10.0.0.2"} << "screen 10.0.0.9"
        << QStringList {"screen 10.0.0.1", "screen 10.0.0.2", "screen 10.0.0.9"};
    QTest::newRow("another name") << QStringList {"screen 10.0.0.1"} << "foyer 10.0.0.9"
                                  << QStringList {"foyer 10.0.0.9", "screen 10.0.0.1"};
}

void tst_PlayerDirectory::movedPlayer()
{
    QFETCH(QStringList, listed);
    QFETCH(QString, registers);
    QFETCH(QStringList, shown);

    QVector<RememberedPlayer> file;
    for (const QString &entry : listed)
        file.append(remembered(entry.section(' ', 0, 0), entry.section(' ', 1, 1), 8));
    m_directory->remember(file);
    for (const QString &entry : listed)
        if (entry.endsWith('+'))
            this->registers(entry.section(' ', 0, 0), entry.section(' ', 1, 1));
    QPersistentModelIndex first;
    for (int row = 0; row < m_directory->rowCount(); ++row)
        if (role(row, PlayerDirectory::IpAddressRole) == file.at(0).address)
            first = m_directory->index(row);
    QSignalSpy left(m_directory.get(), &PlayerDirectory::playerLeft);

    Client *moved = this->registers(registers.section(' ', 0, 0), registers.section(' ', 1));
    QStringList rows;
    for (int row = 0; row < m_directory->rowCount(); ++row)
        rows << names().at(row) + ' ' + role(row, PlayerDirectory::IpAddressRole).toString();
    QCOMPARE(rows, shown);
    // A row taken over is the same row, with the new player object, seen now;
    // the old address is gone from the list.
    const bool tookOver = shown.size() == listed.size();
    QCOMPARE(left.count(), tookOver ? 1 : 0);
    if (!tookOver)
        return;
    const int row = m_directory->rowOf(moved);
    QVERIFY(first.isValid());
    QCOMPARE(first.data(PlayerDirectory::IpAddressRole).toString(), QStringLiteral("10.0.0.9"));
    QCOMPARE(m_directory->client("10.0.0.9", 7000), moved);
    QVERIFY(answering(row));
    QCOMPARE(m_directory->client("10.0.0.1", 7000), nullptr);
    QCOMPARE(m_directory->remembered().at(row).firstSeen, file.at(0).firstSeen);
}

QTEST_GUILESS_MAIN(tst_PlayerDirectory)

#include "tst_playerdirectory.moc"
