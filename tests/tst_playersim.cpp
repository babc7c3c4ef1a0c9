#include "crc32.h"
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
    void registrationMisbehaviour_data();
    void registrationMisbehaviour();
    void ignoresBadDatagram_data();
    void ignoresBadDatagram();
    void commands_data();
    void commands();
    void replyMisbehaviour_data();
    void replyMisbehaviour();
    void playlistFile_data();
    void playlistFile();

private:
    void startPlayer(PlayerBehaviour behaviour = {});
    void sendDatagram(const QByteArray &datagram);
    // Accepts the player's registration link on hub and greets it.
    QTcpSocket *acceptRegistration(QTcpServer &hub);
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

QTcpSocket *tst_PlayerSim::acceptRegistration(QTcpServer &hub)
{
    if (!hub.hasPendingConnections() && !hub.waitForNewConnection(0)) {
        QSignalSpy connected(&hub, &QTcpServer::newConnection);
        if (!connected.wait(wait))
            return nullptr;
    }
    QTcpSocket *link = hub.nextPendingConnection();
    link->write(PlayerProtocol::greeting());
    return link;
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

void tst_PlayerSim::registrationMisbehaviour_data()
{
    QTest::addColumn<bool>("silent");
    QTest::newRow("silent") << true;
    QTest::newRow("short record") << false;
}

void tst_PlayerSim::registrationMisbehaviour()
{
    QFETCH(bool, silent);
    PlayerBehaviour behaviour;
    behaviour.silentRegistration = silent;
    behaviour.shortRecord = !silent;
    startPlayer(behaviour);
    QTcpServer hub;
    QVERIFY(hub.listen(QHostAddress::LocalHost));
    sendDatagram(PlayerProtocol::discoveryDatagram(hub.serverPort()));
    std::unique_ptr<QTcpSocket> link(acceptRegistration(hub));
    QVERIFY(link);

    QTRY_VERIFY_WITH_TIMEOUT(
        logged(silent ? QStringLiteral("withheld record") : QStringLiteral("sent short record")),
        wait);
    QTest::qWait(quietPeriod);
    const QByteArray received = link->readAll();
    if (silent) {
        QCOMPARE(received, QByteArray());
    } else {
        const QByteArray whole
            = expectedRecord(m_player->commandPort(), "127.0.0.1", playerName.toUtf8());
        QVERIFY(received.size() > 7);
        QVERIFY(received.size() < whole.size());
        QVERIFY(whole.startsWith(received));
        QVERIFY(!PlayerProtocol::parseRegistrationRecord(received));
    }
    // The player keeps the link open and waits for the hub to close it.
    QCOMPARE(link->state(), QAbstractSocket::ConnectedState);
}

void tst_PlayerSim::ignoresBadDatagram_data()
{
    QTest::addColumn<QByteArray>("bad");

    // Built for a port of 0xFFFF; the test puts its own port in.
    const QByteArray valid = PlayerProtocol::discoveryDatagram(0xFFFF);
    QByteArray badCrc = valid;
    badCrc[8] = char(badCrc.at(8) ^ 0x01);
    // A consistent CRC over a wrong constant byte: only the constants give it away.
    QByteArray wrongConstant = valid;
    wrongConstant[4] = 0x3B;
    const quint32 crc = Crc32::checksum(wrongConstant.mid(2, 5));
    wrongConstant[0] = char(crc & 0xFF);
    wrongConstant[1] = char(crc >> 8 & 0xFF);
    wrongConstant[7] = char(crc >> 16 & 0xFF);
    wrongConstant[8] = char(crc >> 24 & 0xFF);

    QTest::newRow("bad crc") << badCrc;
    QTest::newRow("wrong constant") << wrongConstant;
    QTest::newRow("one byte short") << valid.left(8);
    QTest::newRow("one byte long") << valid + '\0';
    QTest::newRow("empty") << QByteArray();
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
    QTest::newRow("switch to the last")
        << QList<QByteArray> {switchCommand(8)} << QList<int> {8} << 8;
    QTest::newRow("switch past the last")
        << QList<QByteArray> {switchCommand(9)} << QList<int> {0} << 0;
    QTest::newRow("switch to 65535")
        << QList<QByteArray> {switchCommand(65535)} << QList<int> {0} << 0;
    QTest::newRow("split across reads")
        << QList<QByteArray> {three.left(10), three.mid(10, 50), three.mid(60)} << QList<int> {3}
        << 3;
    QTest::newRow("terminator alone")
        << QList<QByteArray> {three.chopped(1), QByteArray(1, '\0')} << QList<int> {3} << 3;
    QTest::newRow("two in one read")
        << QList<QByteArray> {switchCommand(2) + playlistRequest()} << QList<int> {2, 2} << 2;
    QTest::newRow("unknown command gets no reply")
        << QList<QByteArray> {QByteArray("{ \"type\" : \"reboot\" }\0", 22), playlistRequest()}
        << QList<int> {0} << 0;
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

void tst_PlayerSim::replyMisbehaviour_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("split") << "split";
    QTest::newRow("delayed") << "delay";
    QTest::newRow("junk") << "junk";
    QTest::newRow("no terminator") << "unterminated";
    QTest::newRow("refused") << "refuse";
}

void tst_PlayerSim::replyMisbehaviour()
{
    QFETCH(QString, kind);
    PlayerBehaviour behaviour;
    behaviour.replyPieces = kind == QLatin1String("split") ? 3 : 1;
    behaviour.replyDelay = kind == QLatin1String("delay") ? 200 : 0;
    behaviour.junkReplies = kind == QLatin1String("junk");
    behaviour.noTerminator = kind == QLatin1String("unterminated");
    behaviour.refuseCommands = kind == QLatin1String("refuse");
    startPlayer(behaviour);

    auto link = commandLink();
    if (behaviour.refuseCommands) {
        QVERIFY(m_player->commandPort() != 0);
        QVERIFY(!link->waitForConnected(wait));
        QCOMPARE(link->error(), QAbstractSocket::ConnectionRefusedError);
        return;
    }
    QVERIFY(link->waitForConnected(wait));
    link->write(PlayerProtocol::switchCommand(5));
    QVERIFY(link->waitForBytesWritten(wait));

    QElapsedTimer timer;
    timer.start();
    const QByteArray received = gather(*link, [&](const QByteArray &bytes) {
        return bytes.contains('\0') || link->state() != QAbstractSocket::ConnectedState;
    });

    if (behaviour.noTerminator) {
        QCOMPARE(link->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!received.contains('\0'));
        QCOMPARE(PlayerProtocol::replyObject(received).value(QLatin1String("activeIndex")), 5);
        return;
    }
    QVERIFY(received.endsWith('\0'));
    QCOMPARE(received.count('\0'), 1);
    const QJsonObject reply = PlayerProtocol::replyObject(received.chopped(1));
    if (behaviour.junkReplies) {
        QVERIFY(reply.isEmpty());
        return;
    }
    QCOMPARE(reply.value(QLatin1String("activeIndex")), 5);
    if (behaviour.replyDelay > 0)
        QVERIFY(timer.elapsed() >= behaviour.replyDelay - 20);
    QCOMPARE(link->state(), QAbstractSocket::ConnectedState);
}

void tst_PlayerSim::playlistFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("videos"); // -1: refused
    QTest::addColumn<int>("activeIndex"); // -1: none named

    QTest::newRow("array") << QByteArray(R"([{"description":"a","duration":1,"exists":true}])") << 1
                           << -1;
    QTest::newRow("reply object") << QByteArray(
        R"({"activeIndex":2,"quintavo":[{},{}],"extra":"kept"})")
                                  << 2 << 2;
    QTest::newRow("object without videos") << QByteArray(R"({"videos":[]})") << -1 << -1;
    QTest::newRow("not json") << QByteArray("videos: 3") << -1 << -1;
}

void tst_PlayerSim::playlistFile()
{
    QFETCH(QByteArray, json);
    QFETCH(int, videos);
    QFETCH(int, activeIndex);

    QString error;
    const auto playlist = Playlist::fromJson(json, &error);
    QCOMPARE(bool(playlist), videos >= 0);
    if (!playlist) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(playlist->videoCount(), videos);
    QCOMPARE(playlist->activeIndex().value_or(-1), activeIndex);
    const QJsonObject reply = playlist->reply(1);
    QCOMPARE(reply.value(QLatin1String("activeIndex")), 1);
    if (json.contains("extra"))
        QCOMPARE(reply.value(QLatin1String("extra")), QLatin1String("kept"));
}

QTEST_GUILESS_MAIN(tst_PlayerSim)
#include "tst_playersim.moc"
