#include "crc32.h"
#include "playerprotocol.h"

#include <QtTest>

using namespace PlayerProtocol;

class tst_PlayerProtocol : public QObject
{
    Q_OBJECT

private slots:
    void datagram();
    void commands();
    void record_data();
    void record();
    void reply_data();
    void reply();
};

void tst_PlayerProtocol::datagram()
{
    QCOMPARE(Crc32::checksum("123456789"), 0xCBF43926u); // the standard check value
    const QByteArray standard = discoveryDatagram(hubPort);
    QCOMPARE(standard, QByteArray::fromHex("8D3D07093A1EF56039"));
    // The CRC frames the body only and follows the announced port.
    const QByteArray other = discoveryDatagram(8080);
    const quint32 crc = Crc32::checksum(other.mid(2, 5));
    QCOMPARE(other,
             QByteArray(1, char(crc)) + char(crc >> 8) + QByteArray::fromHex("07093A1F90")
                 + char(crc >> 16) + char(crc >> 24));

    // The player's check takes exactly these datagrams.
    QCOMPARE(parseDiscoveryDatagram(other), std::optional<quint16>(8080));
    QByteArray badCrc = standard;
    badCrc[8] = char(badCrc[8] ^ 1);
    for (const QByteArray &bad : {badCrc, standard.left(8), standard + 'x', QByteArray()})
        QVERIFY(!parseDiscoveryDatagram(bad));
}

void tst_PlayerProtocol::commands()
{
    QCOMPARE(greeting(), QByteArray("*ready!"));
    QCOMPARE(playlistRequest(), QByteArray(R"({ "type" : "playlist" })") + '\0');
    QCOMPARE(playlistRequest().size(), 24);

    const QByteArray prefix = R"({ "type" : "switch", "switch" : { "type" : "index", "index" : )";
    QCOMPARE(switchCommand(0), prefix + "0 } }" + '\0');
    QCOMPARE(switchCommand(0).size(), 68);
    QCOMPARE(switchCommand(65535), prefix + "65535 } }" + '\0');
    QCOMPARE(switchCommand(65535).size(), 72);
    QCOMPARE(parseSwitchCommand(switchCommand(65535).chopped(1)), std::optional<quint16>(65535));
    QVERIFY(!parseSwitchCommand(playlistRequest().chopped(1)));
}

void tst_PlayerProtocol::record_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("fields"); // port, address, name; empty: incomplete

    const QByteArray head = QByteArray::fromHex("DEADBEEF1F90");
    QTest::newRow("empty name") << head + char(12) + "192.168.1.20" + char(0)
                                << QStringList {"8080", "192.168.1.20", ""};
    QTest::newRow("trailing bytes ignored") << head + char(8) + "10.0.0.5" + char(5) + "lobbyEXTRA"
                                            << QStringList {"8080", "10.0.0.5", "lobby"};
    QTest::newRow("nul ends a text") << head + char(4) + QByteArray("ab\0c", 4) + char(2) + "xy"
                                     << QStringList {"8080", "ab", "xy"};
    QTest::newRow("utf-8") << head + char(1) + "a" + char(6) + "Café!"
                           << QStringList {"8080", "a", "Café!"};
    QTest::newRow("round trip") << encodeRegistrationRecord({9, "fe80::1", "attic"}, 1)
                                << QStringList {"9", "fe80::1", "attic"};
    QTest::newRow("nothing") << QByteArray() << QStringList();
    QTest::newRow("no address length") << head << QStringList();
    QTest::newRow("address cut") << head + char(12) + "192.168" << QStringList();
    QTest::newRow("no name length") << head + char(3) + "a.b" << QStringList();
    QTest::newRow("name cut") << head + char(3) + "a.b" + char(200) + "lobby" << QStringList();
}

void tst_PlayerProtocol::record()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fields);
    const auto record = parseRegistrationRecord(bytes);
    QCOMPARE(record.has_value(), !fields.isEmpty());
    if (record) {
        const QStringList parsed {QString::number(record->commandPort), record->addressText,
                                  record->hostName};
        QCOMPARE(parsed, fields);
    }
}

void tst_PlayerProtocol::reply_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("object"); // compact JSON

    QTest::newRow("object") << QByteArray(R"({ "activeIndex" : 2, "quintavo" : [] })")
                            << QByteArray(R"({"activeIndex":2,"quintavo":[]})");
    QTest::newRow("array") << QByteArray("[1,2]") << QByteArray("{}");
    QTest::newRow("not json") << QByteArray("hello") << QByteArray("{}");
    QTest::newRow("empty") << QByteArray() << QByteArray("{}");
    QTest::newRow("duplicate key") << QByteArray(R"({"a":{},"a":1})") << QByteArray("{}");
    QTest::newRow("duplicate once utf-8 is mended")
        << QByteArray("{\"\xff\":[],\"\xfe\":1}") << QByteArray("{}");
    QTest::newRow("invalid utf-8 kept as replacement")
        << QByteArray("{\"d\":\"a\xff\"}") << QByteArray("{\"d\":\"a\xef\xbf\xbd\"}");
}

void tst_PlayerProtocol::reply()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, object);
    QCOMPARE(QJsonDocument(replyObject(text)).toJson(QJsonDocument::Compact), object);
}

QTEST_APPLESS_MAIN(tst_PlayerProtocol)
#include "tst_playerprotocol.moc"
