#include "discoverylistener.h"
#include "playerprotocol.h"
#include "simulatedplayer.h"

#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

// The simulated player in-process, driven over loopback by a scripted hub: the
// test sends the datagrams, greets, and sends commands itself.
class tst_PlayerSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registersAfterGreeting();
    void ignoresBadDatagram_data();
    void ignoresBadDatagram();
    void commands_data();
    void commands();

private:
    void startPlayer(PlayerBehaviour behaviour = {});
    void sendDatagram(const QByteArray &datagram);
    // Accepts the player's registration link on hub and greets it.
    std::unique_ptr<QTcpSocket> commandLink();
    bool logged(const QString &part) const;

    static const QString playerName;
    std::unique_ptr<SimulatedPlayer> m_player;
    std::unique_ptr<DiscoveryListener> m_listener;
    std::unique_ptr<QSignalSpy> m_log;
    QUdpSocket m_sender;
};

const QString tst_PlayerSim::playerName = QStringLiteral("orvik-hall");

namespace {

constexpr int wait = 5000;

// The record as it must appear on the wire, built byte by byte.
QByteArray expectedRecord(quint16 port, const QByteArray &address, const QByteArray &name)
{
    QByteArray record("ORVK");
    record.append(char(port >> 8)).append(char(port & 0xFF));
    record.append(char(address.size())).append(address);
    record.append(char(name.size())).append(name);
    return record;
}

// Lets the in-process player run until done(what arrived on socket) holds, or
// the wait is over. Only a wait that runs the event loop lets the player answer.
template<typename Done> QByteArray gather(QTcpSocket &socket, Done done)
{
    QByteArray received;
    QElapsedTimer timer;
    timer.start();
    while (!done(received) && timer.elapsed() < wait) {
        QTest::qWait(5);
        received.append(socket.readAll());
    }
    return received;
}

// Replies until count 0x00 bytes have come, without their 0x00.
QList<QByteArray> readReplies(QTcpSocket &socket, int count)
{
    QList<QByteArray> replies = gather(socket, [count](const QByteArray &received) {
                                    return received.count('\0') >= count;
                                }).split('\0');
    replies.removeLast(); // what follows the last 0x00
    return replies;
}

// Nothing can be awaited for bytes that must not come: give them a moment.
constexpr int quietPeriod = 100;

} // namespace

void tst_PlayerSim::init()
{
    m_listener = std::make_unique<DiscoveryListener>();
    QString error;
    QVERIFY2(m_listener->bind(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

void tst_PlayerSim::cleanup()
{
    m_log.reset();
    m_player.reset();
    m_listener.reset();
}

void tst_PlayerSim::startPlayer(PlayerBehaviour behaviour)
{
    m_player = std::make_unique<SimulatedPlayer>(playerName, Playlist::demo(), 0, behaviour);
    m_log = std::make_unique<QSignalSpy>(m_player.get(), &SimulatedPlayer::logged);
    connect(m_listener.get(), &DiscoveryListener::datagramReceived, m_player.get(),
            &SimulatedPlayer::handleDatagram);
    QString error;
    QVERIFY2(m_player->start(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

void tst_PlayerSim::sendDatagram(const QByteArray &datagram)
{
    QCOMPARE(m_sender.writeDatagram(datagram, QHostAddress::LocalHost, m_listener->port()),
             qint64(datagram.size()));
}

std::unique_ptr<QTcpSocket> tst_PlayerSim::commandLink()
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, m_player->commandPort());
    return socket;
}

bool tst_PlayerSim::logged(const QString &part) const
{
    for (const QList<QVariant> &arguments : *m_log)
        if (arguments.at(0).toString().contains(part))
            return true;
    return false;
}

void tst_PlayerSim::registersAfterGreeting()
{
    startPlayer();
    QTcpServer hub;
    QVERIFY(hub.listen(QHostAddress::LocalHost));
    sendDatagram(PlayerProtocol::discoveryDatagram(hub.serverPort()));

    QSignalSpy connected(&hub, &QTcpServer::newConnection);
    QVERIFY(connected.wait(wait));
    std::unique_ptr<QTcpSocket> link(hub.nextPendingConnection());
    // The record answers the greeting; nothing comes before it.
    QTest::qWait(quietPeriod);
    QCOMPARE(link->bytesAvailable(), 0);
    link->write(PlayerProtocol::greeting());

    const QByteArray expected
        = expectedRecord(m_player->commandPort(), "127.0.0.1", playerName.toUtf8());
    const QByteArray received
        = gather(*link, [&](const QByteArray &bytes) { return bytes.size() >= expected.size(); });
    QCOMPARE(received.toHex(), expected.toHex());
    QVERIFY(logged(QStringLiteral("player orvik-hall sent record %1 bytes %2")
                       .arg(expected.size())
                       .arg(QString::fromLatin1(expected.toHex()))));
}

void tst_PlayerSim::ignoresBadDatagram_data()
{
    QTest::addColumn<QByteArray>("bad");

    // Built for a port of 0xFFFF; the test puts its own port in.
    const QByteArray valid = PlayerProtocol::discoveryDatagram(0xFFFF);
    QByteArray badCrc = valid;
    badCrc[8] = char(badCrc.at(8) ^ 0x01);

    QTest::newRow("bad crc") << badCrc;
    QTest::newRow("one byte short") << valid.left(8);
}

void tst_PlayerSim::ignoresBadDatagram()
{
    QFETCH(QByteArray, bad);
    startPlayer();
    QTcpServer wrongHub;
    QTcpServer rightHub;
    QVERIFY(wrongHub.listen(QHostAddress::LocalHost));
    QVERIFY(rightHub.listen(QHostAddress::LocalHost));

    // The bad datagram names the hub that must not be called, as far as it has
    // room for a port; the good one that follows names the other.
    if (bad.size() >= 7) {
        bad[5] = char(wrongHub.serverPort() >> 8);
        bad[6] = char(wrongHub.serverPort() & 0xFF);
    }
    sendDatagram(bad);
    sendDatagram(PlayerProtocol::discoveryDatagram(rightHub.serverPort()));

    QSignalSpy connected(&rightHub, &QTcpServer::newConnection);
    QVERIFY(connected.wait(wait));
    // Datagrams are handled in order: had the bad one been taken, its connection
    // would have been started before this one.
    QVERIFY(!logged(QStringLiteral("connect to hub 127.0.0.1:%1").arg(wrongHub.serverPort())));
    QVERIFY(logged(QStringLiteral("player orvik-hall ignored datagram from 127.0.0.1:%1 %2 bytes")
                       .arg(m_sender.localPort())
                       .arg(bad.size())));
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
    startPlayer();

    auto link = commandLink();
    QVERIFY(link->waitForConnected(wait));
    for (const QByteArray &piece : pieces) {
        link->write(piece);
        QVERIFY(link->waitForBytesWritten(wait));
        // Lets the player read what has arrived before the next piece comes.
        QCoreApplication::processEvents();
    }

    const QList<QByteArray> received = readReplies(*link, replies.size());
    QCOMPARE(received.size(), replies.size());
    for (int i = 0; i < replies.size(); ++i) {
        const QJsonObject reply = PlayerProtocol::replyObject(received.at(i));
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
