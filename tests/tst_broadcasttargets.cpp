#include "broadcasttargets.h"

#include <QtTest>

using BroadcastTargets::Interface;
using Flags = QNetworkInterface::InterfaceFlags;

Q_DECLARE_METATYPE(QList<Interface>)

class tst_BroadcastTargets : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
};

namespace {

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

void tst_BroadcastTargets::choose_data()
{
    QTest::addColumn<QList<Interface>>("interfaces");
    QTest::addColumn<QStringList>("targets");

    const Interface loopback {QNetworkInterface::IsUp | QNetworkInterface::IsLoopBack,
                              {entry("127.0.0.1"), entry("::1")}};
    QTest::newRow("entries in order") << QList<Interface> {loopback,
                                                           {up,
                                                            {entry("192.168.1.10", "192.168.1.255"),
                                                             entry("10.0.0.5", "10.255.255.255")}}}
                                      << QStringList {"192.168.1.255", "10.255.255.255"};
    QTest::newRow("ipv6 first, then ipv4")
        << QList<Interface> {{up, {entry("fe80::1"), entry("10.77.0.1", "10.77.0.255")}}}
        << QStringList {"10.77.0.255"};
    QTest::newRow("every network, each once")
        << QList<Interface> {{up, {entry("192.168.1.10", "192.168.1.255")}},
                             {up, {entry("172.16.4.2", "172.16.255.255")}},
                             {up, {entry("192.168.1.11", "192.168.1.255")}}}
        << QStringList {"192.168.1.255", "172.16.255.255"};
    QTest::newRow("down interface skipped")
        << QList<Interface> {{QNetworkInterface::CanBroadcast,
                              {entry("192.168.56.1", "192.168.56.255")}},
                             {up, {entry("10.1.2.3", "10.1.2.255")}}}
        << QStringList {"10.1.2.255"};
    QTest::newRow("point-to-point skipped")
        << QList<Interface> {{QNetworkInterface::IsUp | QNetworkInterface::IsPointToPoint,
                              {entry("10.8.0.2", "10.8.0.255")}}}
        << QStringList {};
    QTest::newRow("127.0.0.1 skipped wherever it is")
        << QList<Interface> {{up, {entry("127.0.0.1", "127.255.255.255")}}} << QStringList {};
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

QTEST_APPLESS_MAIN(tst_BroadcastTargets)
#include "tst_broadcasttargets.moc"
