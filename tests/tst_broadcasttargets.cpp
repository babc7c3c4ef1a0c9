// The choice of a scan's broadcast targets among the machine's interfaces, and
// the networks whose change calls for a scan.
#include "broadcasttargets.h"
#include "support.h"

#include <QtTest>

using BroadcastTargets::Interface;
Q_DECLARE_METATYPE(QList<Interface>)

class tst_BroadcastTargets : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void networks();
};

using namespace Support;

void tst_BroadcastTargets::choose_data()
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

void tst_BroadcastTargets::choose()
{
    QFETCH(QList<Interface>, interfaces);
    QFETCH(QStringList, targets);

    QStringList chosen;
    for (const QHostAddress &address : BroadcastTargets::choose(interfaces))
        chosen.append(address.toString());
    QCOMPARE(chosen, targets);
}

void tst_BroadcastTargets::networks()
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

QTEST_APPLESS_MAIN(tst_BroadcastTargets)
#include "tst_broadcasttargets.moc"
