#include "crc32.h"
#include "playerprotocol.h"

#include <QtTest>

using namespace PlayerProtocol;

class tst_PlayerProtocol : public QObject
{
    Q_OBJECT

private slots:
    void crc();
    void crcAccumulator();
    void datagram();
    void parseDatagram_data();
    void parseDatagram();
    void commands();
    void parseSwitch_data();
    void parseSwitch();
    void record_data();
    void record();
    void recordRoundTrip();
    void reply_data();
    void reply();
};

void tst_PlayerProtocol::crc()
{
    QCOMPARE(Crc32::checksum("123456789"), 0xCBF43926u);
    QCOMPARE(Crc32::checksum(""), 0u);
    QCOMPARE(Crc32::checksum(QByteArray::fromHex("07093A1EF5")), 0x39603D8Du);
}

void tst_PlayerProtocol::crcAccumulator()
{
    // Only the counted bytes from the offset count; finish() starts a new CRC.
    Crc32 crc;
    const QByteArray bytes = "xx123456789yy";
    crc.update(bytes, 2, 0);
    crc.update(bytes, 2, 4);
    crc.update(bytes, 6, 5);
    unsigned char out[4];
    crc.finish(out);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(out), 4), QByteArray::fromHex("2639F4CB"));
    crc.update(bytes, 2, 9);
    crc.finish(out);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(out), 4), QByteArray::fromHex("2639F4CB"));
}

void tst_PlayerProtocol::datagram()
{
    QCOMPARE(discoveryDatagram(7925), QByteArray::fromHex("8D3D07093A1EF56039"));
    // The CRC bytes cover the body only and follow the announced port.
    const QByteArray other = discoveryDatagram(8080);
    QCOMPARE(other.mid(2, 5), QByteArray::fromHex("07093A1F90"));
    const quint32 crc = Crc32::checksum(other.mid(2, 5));
    QCOMPARE(quint8(other[0]), quint8(crc));
    QCOMPARE(quint8(other[1]), quint8(crc >> 8));
    QCOMPARE(quint8(other[7]), quint8(crc >> 16));
    QCOMPARE(quint8(other[8]), quint8(crc >> 24));
    QVERIFY(other.left(2) != discoveryDatagram(7925).left(2));
}

void tst_PlayerProtocol::parseDatagram_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("port"); // -1: rejected

    const QByteArray good = discoveryDatagram(7925);
    QTest::newRow("valid") << good << 7925;
    QTest::newRow("other port") << discoveryDatagram(1) << 1;
    QByteArray badCrc = good;
    badCrc[8] = char(badCrc[8] ^ 1);
    QTest::newRow("bad crc") << badCrc << -1;
    QByteArray badConstant = good;
    badConstant[4] = 0x3B;
    QTest::newRow("bad constant") << badConstant << -1;
    QTest::newRow("too long") << good + 'x' << -1;
    QTest::newRow("too short") << good.left(8) << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void tst_PlayerProtocol::parseDatagram()
{
    QFETCH(QByteArray, datagram);
    QFETCH(int, port);
    const auto parsed = parseDiscoveryDatagram(datagram);
    QCOMPARE(parsed ? int(*parsed) : -1, port);
}

void tst_PlayerProtocol::commands()
{
    QCOMPARE(greeting(), QByteArray("*ready!"));
    QCOMPARE(greeting().size(), 7);

    const QByteArray playlist = playlistRequest();
    QCOMPARE(playlist.size(), 24);
    QCOMPARE(playlist, QByteArray(R"({ "type" : "playlist" })") + '\0');

    const QByteArray prefix = R"({ "type" : "switch", "switch" : { "type" : "index", "index" : )";
    QCOMPARE(prefix.size(), 62);
    QCOMPARE(switchCommand(0), prefix + "0 } }" + '\0');
    QCOMPARE(switchCommand(0).size(), 68);
    QCOMPARE(switchCommand(65535), prefix + "65535 } }" + '\0');
    QCOMPARE(switchCommand(65535).size(), 72);
    QCOMPARE(switchCommand(3), prefix + "3 } }" + '\0');
}

void tst_PlayerProtocol::parseSwitch_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("index"); // -1: not a switch command

    QTest::newRow("built 0") << switchCommand(0).chopped(1) << 0;
    QTest::newRow("built 65535") << switchCommand(65535).chopped(1) << 65535;
    QTest::newRow("playlist") << playlistRequest().chopped(1) << -1;
    QTest::newRow("negative") << QByteArray(
        R"({"type":"switch","switch":{"type":"index","index":-1}})")
                              << -1;
    QTest::newRow("fraction") << QByteArray(
        R"({"type":"switch","switch":{"type":"index","index":1.5}})")
                              << -1;
    QTest::newRow("text") << QByteArray(
        R"({"type":"switch","switch":{"type":"index","index":"2"}})")
                          << -1;
    QTest::newRow("junk") << QByteArray("{{{") << -1;
}

void tst_PlayerProtocol::parseSwitch()
{
    QFETCH(QByteArray, command);
    QFETCH(int, index);
    const auto parsed = parseSwitchCommand(command);
    QCOMPARE(parsed ? int(*parsed) : -1, index);
}

void tst_PlayerProtocol::record_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");

    const QByteArray head = QByteArray::fromHex("DEADBEEF1F90");
    QTest::newRow("empty name") << head + char(12) + "192.168.1.20" + char(0) << true << 8080
                                << "192.168.1.20"
                                << "";
    QTest::newRow("trailing bytes ignored")
        << head + char(8) + "10.0.0.5" + char(5) + "lobbyEXTRA" << true << 8080 << "10.0.0.5"
        << "lobby";
    QTest::newRow("nul ends a text")
        << head + char(4) + QByteArray("ab\0c", 4) + char(2) + "xy" << true << 8080 << "ab"
        << "xy";
    QTest::newRow("utf-8 name") << head + char(1) + "a" + char(6) + "Café!" << true << 8080 << "a"
                                << "Café!";
    QTest::newRow("nothing") << QByteArray() << false << 0 << ""
                             << "";
    QTest::newRow("no address length") << head << false << 0 << ""
                                       << "";
    QTest::newRow("address cut") << head + char(12) + "192.168" << false << 0 << ""
                                 << "";
    QTest::newRow("no name length") << head + char(3) + "a.b" << false << 0 << ""
                                    << "";
    QTest::newRow("name cut") << head + char(3) + "a.b" + char(200) + "lobby" << false << 0 << ""
                              << "";
}

void tst_PlayerProtocol::record()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);
    const auto record = parseRegistrationRecord(bytes);
    QCOMPARE(record.has_value(), complete);
    if (!record)
        return;
    QFETCH(int, port);
    QFETCH(QString, address);
    QFETCH(QString, name);
    QCOMPARE(int(record->commandPort), port);
    QCOMPARE(record->addressText, address);
    QCOMPARE(record->hostName, name);
}

void tst_PlayerProtocol::recordRoundTrip()
{
    const RegistrationRecord record {65535, QStringLiteral("fe80::1"),
                                     QString(300, QLatin1Char('n'))};
    const QByteArray bytes = encodeRegistrationRecord(record, 0x01020304);
    QCOMPARE(bytes.size(), 8 + 7 + 255);
    QCOMPARE(bytes.left(4), QByteArray::fromHex("01020304"));
    const auto parsed = parseRegistrationRecord(bytes);
    QVERIFY(parsed);
    QCOMPARE(parsed->commandPort, quint16(65535));
    QCOMPARE(parsed->addressText, record.addressText);
    QCOMPARE(parsed->hostName, QString(255, QLatin1Char('n')));
}

void tst_PlayerProtocol::reply_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected"); // compact JSON of the object

    QTest::newRow("object") << QByteArray(R"({ "activeIndex" : 2, "quintavo" : [] })")
                            << QByteArray(R"({"activeIndex":2,"quintavo":[]})");
    QTest::newRow("array") << QByteArray("[1,2]") << QByteArray("{}");
    QTest::newRow("not json") << QByteArray("hello") << QByteArray("{}");
    QTest::newRow("bare number") << QByteArray("42") << QByteArray("{}");
    QTest::newRow("empty") << QByteArray() << QByteArray("{}");
    QTest::newRow("invalid utf-8 kept as replacement")
        << QByteArray("{\"d\":\"a\xff\"}") << QByteArray("{\"d\":\"a\xef\xbf\xbd\"}");
}

void tst_PlayerProtocol::reply()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(QJsonDocument(replyObject(text)).toJson(QJsonDocument::Compact), expected);
}

QTEST_APPLESS_MAIN(tst_PlayerProtocol)
#include "tst_playerprotocol.moc"
