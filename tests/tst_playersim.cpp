// The simulated player in-process, driven over loopback by a scripted hub: the
// test sends the datagrams, greets, and sends commands itself.
#include "discoverylistener.h"
#include "playerprotocol.h"
#include "simulatedplayer.h"

#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

class tst_PlayerSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void registration_data();
    void registration();
    void commands_data();
    void commands();

private:
    bool logged(const QString &part) const;

    std::unique_ptr<DiscoveryListener> m_listener;
    std::unique_ptr<SimulatedPlayer> m_player;
    std::unique_ptr<QSignalSpy> m_log;
};

void tst_PlayerSim::init()
{
    m_log.reset();
    m_player = std::make_unique<SimulatedPlayer>(QStringLiteral("orvik-hall"), Playlist::demo(), 0,
                                                 PlayerBehaviour());
    m_log = std::make_unique<QSignalSpy>(m_player.get(), &SimulatedPlayer::logged);
    m_listener = std::make_unique<DiscoveryListener>();
    QString error;
    QVERIFY2(m_listener->bind(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    connect(m_listener.get(), &DiscoveryListener::datagramReceived, m_player.get(),
            &SimulatedPlayer::handleDatagram);
    QVERIFY2(m_player->start(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

bool tst_PlayerSim::logged(const QString &part) const
{
    return std::any_of(m_log->cbegin(), m_log->cend(), [&](const QList<QVariant> &arguments) {
        return arguments.at(0).toString().contains(part);
    });
}

void tst_PlayerSim::registration_data()
{
    QTest::addColumn<QByteArray>("first"); // a datagram before the one naming the hub

    // Built for a port of 0xFFFF; the test puts another hub's port in.
    const QByteArray valid = PlayerProtocol::discoveryDatagram(0xFFFF);
    QByteArray badCrc = valid;
    badCrc[8] = char(badCrc.at(8) ^ 0x01);
    QTest::newRow("none") << QByteArray();
    QTest::newRow("bad crc") << badCrc;
    QTest::newRow("one byte short") << valid.left(8);
}

void tst_PlayerSim::registration()
{
    QFETCH(QByteArray, first);

    QTcpServer wrongHub, hub;
    QVERIFY(wrongHub.listen(QHostAddress::LocalHost));
    QVERIFY(hub.listen(QHostAddress::LocalHost));
    QUdpSocket sender;
    if (!first.isEmpty()) {
        // The bad datagram names the hub that must not be called, as far as it
        // has room for a port.
        if (first.size() >= 7) {
            first[5] = char(wrongHub.serverPort() >> 8);
            first[6] = char(wrongHub.serverPort() & 0xFF);
        }
        sender.writeDatagram(first, QHostAddress::LocalHost, m_listener->port());
    }
    sender.writeDatagram(PlayerProtocol::discoveryDatagram(hub.serverPort()),
                         QHostAddress::LocalHost, m_listener->port());

    QSignalSpy connected(&hub, &QTcpServer::newConnection);
    QVERIFY(connected.wait());
    std::unique_ptr<QTcpSocket> link(hub.nextPendingConnection());
    link->write(PlayerProtocol::greeting());
    // The record, byte by byte as it must be on the wire.
    QByteArray expected("ORVK");
    const quint16 port = m_player->commandPort();
    expected += char(port >> 8) + QByteArray(1, char(port & 0xFF)) + char(9) + "127.0.0.1"
        + char(10) + "orvik-hall";
    QByteArray received;
    QTRY_COMPARE((received += link->readAll()).toHex(), expected.toHex());
    QVERIFY(logged(QStringLiteral("player orvik-hall sent record %1 bytes %2")
                       .arg(expected.size())
                       .arg(QString::fromLatin1(expected.toHex()))));

    // Datagrams are handled in order: had the bad one been taken, its
    // connection would have been started before this one.
    QCOMPARE(wrongHub.hasPendingConnections(), false);
    QVERIFY(!logged(QStringLiteral("connect to hub 127.0.0.1:%1").arg(wrongHub.serverPort())));
    QCOMPARE(logged(QStringLiteral("player orvik-hall ignored datagram from 127.0.0.1:%1 %2 bytes")
                        .arg(sender.localPort())
                        .arg(first.size())),
             !first.isEmpty());
}

void tst_PlayerSim::commands_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<int>>("replies"); // activeIndex of each reply
    QTest::addColumn<int>("finalIndex");

    using PlayerProtocol::playlistRequest;
    using PlayerProtocol::switchCommand;
    const QByteArray three = switchCommand(3);

    QTest::newRow("playlist") << QList<QByteArray> {playlistRequest()} << QList<int> {0} << 0;
    QTest::newRow("switch to 3") << QList<QByteArray> {three} << QList<int> {3} << 3;
    QTest::newRow("switch past the last")
        << QList<QByteArray> {switchCommand(9)} << QList<int> {0} << 0;
    QTest::newRow("split across reads")
        << QList<QByteArray> {three.left(10), three.mid(10, 50), three.mid(60)} << QList<int> {3}
        << 3;
    QTest::newRow("two in one read")
        << QList<QByteArray> {switchCommand(2) + playlistRequest()} << QList<int> {2, 2} << 2;
    QTest::newRow("garbage gets no reply")
        << QList<QByteArray> {QByteArray("\xff\xfe\x01 junk\0", 9), switchCommand(1)}
        << QList<int> {1} << 1;
}

void tst_PlayerSim::commands()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<int>, replies);
    QFETCH(int, finalIndex);

    QTcpSocket link;
    link.connectToHost(QHostAddress::LocalHost, m_player->commandPort());
    for (const QByteArray &piece : pieces) {
        link.write(piece);
        // The player reads what has arrived before the next piece comes.
        QTRY_COMPARE(link.bytesToWrite(), 0);
        QTest::qWait(0);
    }

    QByteArray received;
    QTRY_COMPARE((received += link.readAll()).count('\0'), replies.size());
    for (int i = 0; i < replies.size(); ++i) {
        const QJsonObject reply = PlayerProtocol::replyObject(received.split('\0').at(i));
        QCOMPARE(reply.value(QLatin1String("activeIndex")).toInt(-1), replies.at(i));
        const QJsonArray videos = reply.value(QLatin1String("quintavo")).toArray();
        QCOMPARE(videos.size(), 8);
        QCOMPARE(videos.at(6).toObject().value(QLatin1String("exists")), QJsonValue(false));
    }
    QCOMPARE(m_player->activeIndex(), finalIndex);
    // Every command is logged whole, with its exact bytes, however it arrived.
    QList<QByteArray> commands = pieces.join().split('\0');
    commands.removeLast();
    for (const QByteArray &text : commands) {
        const QByteArray command = text + '\0';
        QVERIFY2(logged(QStringLiteral("recv command %1 bytes %2 ")
                            .arg(command.size())
                            .arg(QString::fromLatin1(command.toHex()))),
                 command.constData());
    }
}

QTEST_GUILESS_MAIN(tst_PlayerSim)
#include "tst_playersim.moc"
