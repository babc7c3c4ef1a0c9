// The pure functions of the protocol layer: the player protocol's byte
// formats, the assembly of replies from reads, the duplicate-key check, the
// reading of a player's answer and of the entry a description names there,
// what an answer to a switch says of it, the notice's markup and version
// numbers.
#include "crc32.h"
#include "jsonkeys.h"
#include "noticemarkup.h"
#include "playeranswer.h"
#include "playerprotocol.h"
#include "replyassembler.h"
#include "switchoutcome.h"
#include "versionnumber.h"

#include <QtTest>

using namespace PlayerProtocol;

class tst_Protocol : public QObject
{
    Q_OBJECT

private slots:
    void datagram();
    void commands();
    void record_data();
    void record();
    void reply_data();
    void reply();
    void assemblerReads_data();
    void assemblerReads();
    void assemblerEveryCut();
    void assemblerReset();
    void duplicateKeys_data();
    void duplicateKeys();
    void answerDuration_data();
    void answerDuration();
    void answerActiveIndex_data();
    void answerActiveIndex();
    void answerEntries_data();
    void answerEntries();
    void answerPlaying_data();
    void answerPlaying();
    void answerEntryLimit();
    void indexForDescription_data();
    void indexForDescription();
    void switchOutcome_data();
    void switchOutcome();
    void noticeMarkup_data();
    void noticeMarkup();
    void versionParse_data();
    void versionParse();
    void versionNewerThan();
};

void tst_Protocol::datagram()
{
    QCOMPARE(Crc32::checksum("123456789"), 0xCBF43926u); // the standard check value
    const QByteArray standard = discoveryDatagram(hubPort);
    QCOMPARE(standard, QByteArray::fromHex("8D3D07093A1EF56039"));
    // The CRC frames the body only and follows the announced port.
    QCOMPARE(discoveryDatagram(8080), QByteArray::fromHex("1B9907093A1F90A31D"));
}

void tst_Protocol::commands()
{
    // The greeting: tst_PlayerDiscovery::registration.
    QCOMPARE(playlistRequest(), QByteArray(R"({ "type" : "playlist" })") + '\0');
    const QByteArray prefix = R"({ "type" : "switch", "switch" : { "type" : "index", "index" : )";
    QCOMPARE(switchCommand(0), prefix + "0 } }" + '\0');
    QCOMPARE(switchCommand(65535), prefix + "65535 } }" + '\0');
}

void tst_Protocol::record_data()
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
    QTest::newRow("no address length") << head << QStringList();
    QTest::newRow("address cut") << head + char(12) + "192.168" << QStringList();
    QTest::newRow("name cut") << head + char(3) + "a.b" + char(200) + "lobby" << QStringList();
}

void tst_Protocol::record()
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

void tst_Protocol::reply_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("object"); // compact JSON

    QTest::newRow("object") << QByteArray(R"({ "activeIndex" : 2, "quintavo" : [] })")
                            << QByteArray(R"({"activeIndex":2,"quintavo":[]})");
    QTest::newRow("array") << QByteArray("[1,2]") << QByteArray("{}");
    QTest::newRow("not json") << QByteArray("hello") << QByteArray("{}");
    QTest::newRow("duplicate key") << QByteArray(R"({"a":{},"a":1})") << QByteArray("{}");
    QTest::newRow("duplicate once utf-8 is mended")
        << QByteArray("{\"\xff\":[],\"\xfe\":1}") << QByteArray("{}");
    QTest::newRow("invalid utf-8 kept as replacement")
        << QByteArray("{\"d\":\"a\xff\"}") << QByteArray("{\"d\":\"a\xef\xbf\xbd\"}");
}

void tst_Protocol::reply()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, object);
    QCOMPARE(QJsonDocument(replyObject(text)).toJson(QJsonDocument::Compact), object);
}

using Reads = QList<QByteArray>;

void tst_Protocol::assemblerReads_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<Reads>("replies"); // announced by feed, in order
    QTest::addColumn<QByteArray>("atClose"); // null: nothing left at close

    const QByteArray nul(1, '\0');
    // Replies with and without the terminator, cut in every way, strings with
    // brackets and escapes among them: assemblerEveryCut(). A bare value is
    // junk.
    QTest::newRow("two unterminated in one read")
        << Reads {"{\"a\":1} [2]"} << Reads {"{\"a\":1}", "[2]"} << QByteArray();
    QTest::newRow("terminator after a complete reply is no reply")
        << Reads {"{\"a\":1}", nul, " \r\n", nul} << Reads {"{\"a\":1}"} << QByteArray();
    QTest::newRow("nul ends a reply, the rest is the next")
        << Reads {"{\"a\":1" + nul + "}"} << Reads {"{\"a\":1"} << QByteArray("}");
    QTest::newRow("junk lasts until nul")
        << Reads {"hello {", "} world" + nul} << Reads {"hello {} world"} << QByteArray();
    QTest::newRow("junk held at close") << Reads {"not json"} << Reads {} << QByteArray("not json");
    QTest::newRow("half reply at close") << Reads {"{\"a\":"} << Reads {} << QByteArray("{\"a\":");
    QTest::newRow("blank only") << Reads {"  \n", nul} << Reads {} << QByteArray();
}

void tst_Protocol::assemblerReads()
{
    QFETCH(Reads, reads);
    QFETCH(Reads, replies);
    QFETCH(QByteArray, atClose);

    ReplyAssembler assembler;
    Reads announced;
    for (const QByteArray &read : reads)
        announced += assembler.feed(read);
    QCOMPARE(announced, replies);
    const auto rest = assembler.finish();
    QCOMPARE(rest.has_value(), !atClose.isNull());
    if (rest)
        QCOMPARE(*rest, atClose);
    QVERIFY(!assembler.overflowed());
}

void tst_Protocol::assemblerEveryCut()
{
    // However a stream of replies is cut into reads, the same replies come out.
    const QByteArray stream = QByteArray("{\"activeIndex\":1,\"quintavo\":[{\"description\":"
                                         "\"Snow } [ \\\" day\",\"duration\":65}]}")
        + '\0' + " [1,[2,{}]]" + '\0' + "{\"b\":\"\\\\\"}";
    const Reads expected {stream.left(stream.indexOf('\0')), "[1,[2,{}]]", "{\"b\":\"\\\\\"}"};
    for (int first = 0; first <= stream.size(); ++first) {
        for (int second = first; second <= stream.size(); second += 7) {
            ReplyAssembler assembler;
            Reads announced = assembler.feed(stream.left(first));
            announced += assembler.feed(stream.mid(first, second - first));
            announced += assembler.feed(stream.mid(second));
            QVERIFY(!assembler.finish());
            QCOMPARE(announced, expected);
        }
    }
}

void tst_Protocol::assemblerReset()
{
    ReplyAssembler assembler;
    QVERIFY(assembler.feed("{\"a\":\"x").isEmpty());
    assembler.reset();
    QCOMPARE(assembler.feed("{\"b\":2}"), Reads {"{\"b\":2}"});
}

void tst_Protocol::duplicateKeys_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("duplicate");

    QTest::newRow("distinct") << QByteArray(R"({"a":1,"b":{"a":2},"c":[{"a":3},{"a":4}]})")
                              << false;
    QTest::newRow("top level") << QByteArray(R"({"a":{},"b":1,"a":[]})") << true;
    QTest::newRow("nested") << QByteArray(R"({"q":[{"d":"x","e":1},{"d":"y","d":"z"}]})") << true;
    QTest::newRow("values are no keys") << QByteArray(R"({"a":"a","b":["a","a"]})") << false;
    QTest::newRow("quotes and braces in strings")
        << QByteArray(R"({"a\"}{":1,"a\\":{"x":"}\",\"x\":"}})") << false;
    QTest::newRow("escaped the same") << QByteArray(R"({"a":1,"\u0061":2})") << true;
    QTest::newRow("prefix is another key") << QByteArray(R"({"ab":1,"a":2})") << false;
    QTest::newRow("not json") << QByteArray("{{\"a\"") << false;
    const QByteArray many = R"({"k1":1,"k2":2,"k3":3,"k4":4,"k5":5,"k6":6,"k7":7,"k8":8,"k9":9)";
    QTest::newRow("many keys") << many + "}" << false;
    QTest::newRow("many keys, one twice") << many + R"(,"k4":{}})" << true;
}

void tst_Protocol::duplicateKeys()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, duplicate);
    QCOMPARE(JsonKeys::hasDuplicates(json), duplicate);
}

void tst_Protocol::answerDuration_data()
{
    QTest::addColumn<QJsonValue>("duration");
    QTest::addColumn<QString>("shown"); // minutes:seconds, or "unknown"

    QTest::newRow("119.6 carries into the minutes") << QJsonValue(119.6) << "2:0";
    QTest::newRow("59.5 rounds up") << QJsonValue(59.5) << "1:0";
    QTest::newRow("59.4 rounds down") << QJsonValue(59.4) << "0:59";
    QTest::newRow("negative zero") << QJsonValue(-0.0) << "0:0";
    QTest::newRow("longest") << QJsonValue(2147483647.4) << "35791394:7";
    QTest::newRow("past the longest") << QJsonValue(2147483647.5) << "unknown";
    QTest::newRow("infinite") << QJsonValue(qInf()) << "unknown";
    QTest::newRow("not a number") << QJsonValue(qQNaN()) << "unknown";
    QTest::newRow("negative") << QJsonValue(-1) << "unknown";
    QTest::newRow("negative under a half") << QJsonValue(-0.4) << "unknown";
    QTest::newRow("string") << QJsonValue("95") << "unknown";
}

namespace {

QString shown(const std::optional<PlayerAnswer::Duration> &duration)
{
    return duration ? QStringLiteral("%1:%2").arg(duration->minutes).arg(duration->seconds)
                    : QStringLiteral("unknown");
}

QString shown(const PlayerAnswer::Entry &entry)
{
    return QStringLiteral("%1|%2|%3")
        .arg(entry.description, shown(entry.duration),
             entry.exists ? QStringLiteral("exists") : QStringLiteral("missing"));
}

QStringList shown(const QVector<PlayerAnswer::Entry> &entries)
{
    QStringList list;
    for (const PlayerAnswer::Entry &entry : entries)
        list.append(shown(entry));
    return list;
}

} // namespace

void tst_Protocol::answerDuration()
{
    QFETCH(QJsonValue, duration);
    QFETCH(QString, shown);
    QCOMPARE(::shown(PlayerAnswer::duration(duration)), shown);
}

void tst_Protocol::answerActiveIndex_data()
{
    QTest::addColumn<QJsonValue>("activeIndex");
    QTest::addColumn<int>("read"); // -2: no answer

    QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << -2;
    QTest::newRow("string") << QJsonValue("2") << -2;
    QTest::newRow("not a number") << QJsonValue(qQNaN()) << -2;
    QTest::newRow("default") << QJsonValue(0) << 0;
    QTest::newRow("largest") << QJsonValue(65535) << 65535;
    QTest::newRow("nothing playing") << QJsonValue(-1) << -1;
    QTest::newRow("negative zero") << QJsonValue(-0.0) << 0;
    QTest::newRow("fraction") << QJsonValue(2.5) << -1;
    QTest::newRow("past 16 bits") << QJsonValue(65536) << -1;
}

void tst_Protocol::answerActiveIndex()
{
    QFETCH(QJsonValue, activeIndex);
    QFETCH(int, read);

    QJsonObject object {{"quintavo", QJsonArray {QJsonObject {{"description", "Snow"}}}}};
    if (!activeIndex.isUndefined())
        object.insert("activeIndex", activeIndex);
    const auto answer = PlayerAnswer::read(object);
    QCOMPARE(answer.has_value(), read != -2);
    if (answer) {
        QCOMPARE(answer->activeIndex, read);
        // Whatever it names, the playlist is read.
        QCOMPARE(shown(answer->entries), QStringList {"Snow|unknown|missing"});
    }
}

void tst_Protocol::answerEntries_data()
{
    QTest::addColumn<QJsonValue>("quintavo");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << QStringList();
    QTest::newRow("object") << QJsonValue(QJsonObject {{"description", "x"}}) << QStringList();
    QTest::newRow("complete") << QJsonValue(QJsonArray {
        QJsonObject {{"description", "Harbour <b>walk</b>"}, {"duration", 65}, {"exists", true}},
        QJsonObject {{"description", ""}, {"duration", 119.6}, {"exists", false}},
        QJsonObject {{"description", "Extra members"}, {"exists", true}, {"loop", true}}})
                              << QStringList {"Harbour <b>walk</b>|1:5|exists", "|2:0|missing",
                                              "Extra members|unknown|exists"};
    QTest::newRow("entries not objects")
        << QJsonValue(QJsonArray {"Snow", 65, QJsonValue(), true, QJsonArray {"Snow", 65, true}})
        << QStringList {"|unknown|missing", "|unknown|missing", "|unknown|missing",
                        "|unknown|missing", "|unknown|missing"};
    QTest::newRow("members of other types")
        << QJsonValue(
               QJsonArray {QJsonObject {{"description", 7}, {"duration", "65"}, {"exists", "true"}},
                           QJsonObject {{"description", QJsonArray {"a"}}, {"exists", 1}},
                           QJsonObject {{"description", QJsonValue()}, {"exists", QJsonValue()}}})
        << QStringList {"|unknown|missing", "|unknown|missing", "|unknown|missing"};
}

void tst_Protocol::answerEntries()
{
    QFETCH(QJsonValue, quintavo);
    QFETCH(QStringList, entries);

    QJsonObject object {{"activeIndex", 1}};
    if (!quintavo.isUndefined())
        object.insert("quintavo", quintavo);
    const auto answer = PlayerAnswer::read(object);
    QVERIFY(answer);
    QCOMPARE(shown(answer->entries), entries);
}

void tst_Protocol::answerPlaying_data()
{
    QTest::addColumn<int>("activeIndex");
    QTest::addColumn<QString>("playing"); // null: nothing

    QTest::newRow("default") << 0 << QString();
    QTest::newRow("first") << 1 << "Harbour walk";
    QTest::newRow("empty description") << 2 << "";
    QTest::newRow("last") << 3 << "Closed";
    QTest::newRow("past the list") << 4 << QString();
}

void tst_Protocol::answerPlaying()
{
    QFETCH(int, activeIndex);
    QFETCH(QString, playing);

    const QJsonObject object {
        {"activeIndex", activeIndex},
        {"quintavo",
         QJsonArray {QJsonObject {{"description", "Harbour walk"}}, QJsonObject {},
                     QJsonObject {{"description", "Closed"}}}}};
    const auto answer = PlayerAnswer::read(object);
    QVERIFY(answer);
    const std::optional<QString> description = answer->playingDescription();
    QCOMPARE(description.has_value(), !playing.isNull());
    if (description)
        QCOMPARE(*description, playing);
    // What a row reads, without the rest of the playlist, says the same.
    const auto alone = PlayerAnswer::readPlaying(object);
    QVERIFY(alone);
    QCOMPARE(alone->activeIndex, activeIndex);
    QCOMPARE(alone->description, description);
}

void tst_Protocol::answerEntryLimit()
{
    // One video more than a selection index can name; the last one is not read.
    QByteArray text = R"({"activeIndex":65535,"quintavo":[)";
    for (int i = 0; i < PlayerAnswer::maximumEntries; ++i)
        text += "{},";
    text += R"({"description":"beyond"}]})";
    const auto answer = PlayerAnswer::read(QJsonDocument::fromJson(text).object());
    QVERIFY(answer);
    QCOMPARE(answer->entries.size(), 65535);
    QCOMPARE(answer->playingDescription(), std::optional<QString>(QString()));
}

void tst_Protocol::indexForDescription_data()
{
    QTest::addColumn<QStringList>("descriptions"); // of the entries, from 1
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("index"); // -1: none

    const QStringList playlist {"Morning loop", "", "Evening loop", "Evening loop", "Default"};
    QTest::newRow("the first of two") << playlist << "Evening loop" << 3;
    QTest::newRow("the first entry") << playlist << "Morning loop" << 1;
    QTest::newRow("Default, whatever an entry is called") << playlist << "Default" << 0;
    QTest::newRow("Default with no playlist") << QStringList() << "Default" << 0;
    QTest::newRow("a player that lacks it") << QStringList {"Menu board"} << "Evening loop" << -1;
    QTest::newRow("another case") << playlist << "evening loop" << -1;
    QTest::newRow("a blank more") << playlist << "Evening loop " << -1;
    QTest::newRow("an entry without one is named by no text") << playlist << "" << -1;
    QTest::newRow("nor by its label") << playlist << "Video 2" << -1;
}

void tst_Protocol::indexForDescription()
{
    QFETCH(QStringList, descriptions);
    QFETCH(QString, description);
    QFETCH(int, index);

    QJsonArray videos;
    for (const QString &text : descriptions)
        videos.append(QJsonObject {{"description", text}});
    const auto answer = PlayerAnswer::read({{"activeIndex", 1}, {"quintavo", videos}});
    QVERIFY(answer);
    const std::optional<quint16> found = answer->indexFor(description);
    QCOMPARE(found ? int(*found) : -1, index);
}

void tst_Protocol::switchOutcome_data()
{
    QTest::addColumn<QByteArray>("answer"); // to the switch to 3
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("playing"); // -2: not said

    using Kind = SwitchOutcome::Kind;
    QTest::newRow("plays it") << QByteArray(R"({"activeIndex":3})") << int(Kind::Switched) << 3;
    QTest::newRow("plays another")
        << QByteArray(R"({"activeIndex":2})") << int(Kind::PlaysAnother) << 2;
    QTest::newRow("names none") << QByteArray(R"({"activeIndex":3.5})") << int(Kind::PlaysAnother)
                                << -1;
    QTest::newRow("does not say") << QByteArray(R"({"quintavo":[]})") << int(Kind::Unclear) << -2;
    QTest::newRow("not JSON") << QByteArray("busy") << int(Kind::Unclear) << -2;
}

void tst_Protocol::switchOutcome()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, kind);
    QFETCH(int, playing);

    const SwitchOutcome outcome = SwitchOutcome::fromAnswer(3, replyObject(answer));
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.index, std::optional<quint16>(3));
    QCOMPARE(outcome.playing ? outcome.playing->activeIndex : -2, playing);
}

void tst_Protocol::noticeMarkup_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("shown");

    const QString link = R"m(<a href="https://q.example/get?a=1&amp;b=2">get</a>)m";
    QTest::newRow("formatting and web links stay")
        << R"m(<b>New</b><br/><i>now</i> <p align="center"><font color="#a0b0c0" size="+1">x</font>)m"
           R"m(</p><ul><li>one</li></ul>)m"
            + link
        << R"m(<b>New</b><br/><i>now</i> <p align="center"><font color="#a0b0c0" size="+1">x</font>)m"
           R"m(</p><ul><li>one</li></ul>)m"
            + link;
    QTest::newRow("tags and attributes in any case")
        << R"m(<B>x</B><A HREF='HTTP://Q.example/'>y</A><IMG SRC="x.png">)m"
        << R"m(<b>x</b><a href="http://q.example/">y</a>)m";
    for (const char *source :
         {"http://10.77.0.1:8099/notice.png", "https://q.example/n.png", "file:///etc/hostname.png",
          "notice.png", "../background.png", "qrc:/background.png",
          "data:image/png;base64,iVBORw0K", "image://provider/n"})
        QTest::newRow(source)
            << QString(R"m(a<img src="%1" width="9" height="9">b)m").arg(QLatin1String(source))
            << "ab";
    QTest::newRow("backgrounds and styles") << R"m(<body background="b.png"><table )m"
                                               R"m(background="t.png" border="1"><tr><td )m"
                                               R"m(style="background-image:url(c.png)">x</td>)m"
                                               R"m(</tr></table><span style="color:red">y</span>)m"
                                            << R"m(<table border="1"><tr><td>x</td></tr></table>)m"
                                               R"m(<span>y</span>)m";
    QTest::newRow("style sheets and their content")
        << R"m(<head><title>T</title><link rel="stylesheet" href="http://q.example/s.css">)m"
           R"m(</head><style>@import url(http://q.example/i.css); p {}</style><STYLE>x</STYLE>z)m"
        << "z";
    QTest::newRow("scripts, comments, declarations")
        << "<!DOCTYPE html><?xml x?><script>alert(1)</script><!-- <img src=x> -->a"
        << "a";
    QTest::newRow("links that are not for the web")
        << R"m(<a href="file:///bin/sh">a</a>)m"
           R"m(<a href="javascript:alert(1)">b</a>)m"
           R"m(<a href="https://">c</a>)m"
           R"m(<a href="&#104;ttps://q.example/">d</a>)m"
        << R"m(<a>a</a><a>b</a><a>c</a>)m"
           R"m(<a href="https://q.example/">d</a>)m";
    QTest::newRow("values cannot leave their quotes")
        << R"m(<font color='red" onload="x'>a</font><a href="https://q.example/?q=&quot;>">b</a>)m"
        << "<font>a</font><a>b</a>";
    QTest::newRow("text stays text") << "a < b > c & d &lt;img src=x&gt;"
                                     << "a &lt; b &gt; c & d &lt;img src=x&gt;";
    QTest::newRow("a quote in a tag hides its end") << R"m(<b title=">"><img src="x">c</b>)m"
                                                    << "<b>c</b>";
    QTest::newRow("a tag without an end") << "a<b>b</b><img src=\"x.png\" c"
                                          << "a<b>b</b>";
}

void tst_Protocol::noticeMarkup()
{
    QFETCH(QString, markup);
    QFETCH(QString, shown);
    QCOMPARE(NoticeMarkup::sanitized(markup), shown);
    QCOMPARE(NoticeMarkup::sanitized(shown), shown); // what is kept is kept again
}

void tst_Protocol::versionParse_data()
{
    QTest::addColumn<QStringList>("versions"); // the text, and major.minor.patch as read

    QTest::newRow("plain") << QStringList {"0.9.2", "0.9.2"};
    QTest::newRow("empty part dropped") << QStringList {"1..2.3", "1.2.3"};
    QTest::newRow("leading zeros") << QStringList {"007.1.2", "7.1.2"};
    QTest::newRow("not a number") << QStringList {"0.9.x", "0.9.0"};
    QTest::newRow("low 8 bits") << QStringList {"0.9.258", "0.9.2"};
    QTest::newRow("four parts") << QStringList {"1.0.0.1", "0.0.0"};
}

void tst_Protocol::versionParse()
{
    QFETCH(QStringList, versions);
    const VersionNumber v = VersionNumber::fromText(versions[0]);
    QCOMPARE(QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.patch), versions[1]);
    QCOMPARE(v.toText(), versions[1]);
}

void tst_Protocol::versionNewerThan()
{
    // Equal, older, newer and numeric order: rows of tst_Updater::answers,
    // whose versions differ below the major number only.
    const auto newer = [](const char *a, const char *b) {
        return VersionNumber::fromText(a).isNewerThan(VersionNumber::fromText(b));
    };
    QVERIFY(newer("1.0.0", "0.255.255"));
    QVERIFY(!newer("0.255.255", "1.0.0"));
}

QTEST_APPLESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
