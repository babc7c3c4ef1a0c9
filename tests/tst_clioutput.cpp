#include "clioutput.h"
#include "jsontext.h"
#include "terminaltext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

class tst_CliOutput : public QObject
{
    Q_OBJECT

private slots:
    void hostileText_data();
    void hostileText();
    void playlistLines();
    void playingColumn();
    void presence();
    void playOutcomes();
    void groups();
};

namespace {

// Nothing a terminal takes as a command, and nothing that is not UTF-8.
bool terminalSafe(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return false;
    const QVector<uint> codePoints = text.toUcs4();
    return std::none_of(codePoints.cbegin(), codePoints.cend(),
                        [](uint c) { return c != '\n' && TerminalText::isUnsafe(c); });
}

} // namespace

void tst_CliOutput::hostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");

    QTest::newRow("beyond ASCII") << QString::fromUtf8("Café ☕ 😀") << QString::fromUtf8("Café ☕ 😀");
    QTest::newRow("escape sequence") << "a\x1b[2Jb\x1b]0;title\x07"
                                     << "a\\x1b[2Jb\\x1b]0;title\\x07";
    QTest::newRow("lines and columns") << "a\tb\nc\r"
                                       << "a\\tb\\nc\\r";
    QTest::newRow("NUL and DEL") << QString::fromLatin1("a\0b\x7f", 4) << "a\\x00b\\x7f";
    QTest::newRow("C1 CSI") << QString(QChar(0x9b)) + "31m"
                            << "\\u009b31m";
    QTest::newRow("bidi override") << QString(QChar(0x202e)) + "gpj.exe"
                                   << "\\u202egpj.exe";
    QTest::newRow("line separator") << QString(QChar(0x2028)) << "\\u2028";
    QTest::newRow("lone surrogate") << QString(QChar(0xd83d)) + "x"
                                    << "\\ud83dx";
    QTest::newRow("backslash") << "\\x1b"
                               << "\\\\x1b";
}

void tst_CliOutput::hostileText()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(TerminalText::escaped(text), escaped);

    // JSON: valid, safe, and the same text once parsed (a lone surrogate,
    // which UTF-8 cannot carry, as U+FFFD).
    const QByteArray json = JsonText::write(QJsonArray {text, QJsonObject {{text, 1}}});
    QVERIFY2(terminalSafe(json), json.constData());
    const QJsonDocument parsed = QJsonDocument::fromJson(json);
    const QVector<uint> codePoints = text.toUcs4(); // a lone surrogate as U+FFFD
    const QString expected = QString::fromUcs4(codePoints.constData(), codePoints.size());
    QCOMPARE(parsed.array().at(0).toString(), expected);
    QCOMPARE(parsed.array().at(1).toObject().keys(), QStringList {expected});

    const QByteArray players = CliOutput::playersJson({{text, "10.0.0.1", 7000}});
    QVERIFY(terminalSafe(players));
    const QJsonArray list = QJsonDocument::fromJson(players).array();
    QCOMPARE(list.at(0).toObject(),
             QJsonObject({{"name", expected}, {"address", "10.0.0.1"}, {"port", 7000}}));
    QVERIFY(players.startsWith("[{\"name\":"));

    const QByteArray lines = CliOutput::playerLines({{text, "10.0.0.1", 7000}});
    QCOMPARE(lines, (escaped + "\t10.0.0.1\t7000\n").toUtf8());
}

void tst_CliOutput::playlistLines()
{
    const auto video = [](const QJsonValue &description, const QJsonValue &duration) {
        return QJsonObject {{"description", description}, {"duration", duration}};
    };
    const auto answer = PlayerAnswer::read(
        {{"activeIndex", 3},
         {"quintavo",
          QJsonArray {video("Evening loop", 95), video("", 5), video("Closed\tnotice", 0),
                      video(7, "95"), QJsonValue("not a video"), video("Long", 36000)}}});
    QVERIFY(answer);
    QCOMPARE(QString::fromUtf8(CliOutput::playlistLines(*answer)),
             QStringLiteral("0\tDefault\t-\n"
                            "1\tEvening loop\t1:35\n"
                            "2\tVideo 2\t0:05\n"
                            "3\tClosed\\tnotice\t0:00\t*\n"
                            "4\tVideo 4\t-\n"
                            "5\tVideo 5\t-\n"
                            "6\tLong\t600:00\n"));

    PlayerAnswer playingDefault;
    playingDefault.activeIndex = 0;
    QCOMPARE(QString::fromUtf8(CliOutput::playlistLines(playingDefault)),
             QStringLiteral("0\tDefault\t-\t*\n"));
}

// list --playing: a fourth column, or two keys, for what each player plays,
// labelled as the window labels it and escaped as all player text is.
void tst_CliOutput::playingColumn()
{
    const auto said = [](const QJsonObject &answer) {
        return PlayerAnswer::readPlaying(answer);
    };
    const QJsonArray videos {QJsonObject {{"description", "Dawn\x1b[2J"}}, QJsonObject {}};
    const QList<FoundPlayer> players {{"a", "10.0.0.1", 1},
                                      {"b", "10.0.0.2", 2},
                                      {"c", "10.0.0.3", 3},
                                      {"d", "10.0.0.4", 4},
                                      {"e", "10.0.0.5", 5}};
    const CliOutput::PlayingAnswers playing {
        said({{"activeIndex", 1}, {"quintavo", videos}}), said({{"activeIndex", 0}}),
        said({{"activeIndex", 2}, {"quintavo", videos}}), std::nullopt,
        said({{"activeIndex", 0.5}, {"quintavo", videos}})};
    QCOMPARE(QString::fromUtf8(CliOutput::playerLines(players, &playing)),
             QStringLiteral("a\t10.0.0.1\t1\t1 Dawn\\x1b[2J\n"
                            "b\t10.0.0.2\t2\t0 Default\n"
                            "c\t10.0.0.3\t3\t2 Video 2\n"
                            "d\t10.0.0.4\t4\t\n"
                            "e\t10.0.0.5\t5\t\n"));
    const QJsonArray list
        = QJsonDocument::fromJson(CliOutput::playersJson(players, &playing)).array();
    QCOMPARE(list.size(), 5);
    QCOMPARE(list.at(0)["playingIndex"], QJsonValue(1));
    QCOMPARE(list.at(0)["playing"], QJsonValue("Dawn\x1b[2J"));
    QCOMPARE(list.at(1)["playing"], QJsonValue("Default"));
    QCOMPARE(list.at(3).toObject().value("playingIndex"), QJsonValue(QJsonValue::Null));
    QCOMPARE(list.at(3).toObject().value("playing"), QJsonValue(QJsonValue::Null));
    QVERIFY(!CliOutput::playersJson(players).contains("playing"));
}

// list --known: a last field says whether each answered or when it was last
// seen; JSON says both, for every list.
void tst_CliOutput::presence()
{
    const QList<FoundPlayer> players {{"a", "10.0.0.1", 1}, {"b", "10.0.0.2", 2}};
    const QDateTime seen = QDateTime::fromString("2024-03-05T09:12:00+01:00", Qt::ISODate);
    const CliOutput::Sightings sightings {{true, seen.addDays(1)}, {false, seen}};
    const CliOutput::PlayingAnswers playing {PlayerAnswer::readPlaying({{"activeIndex", 0}}),
                                             std::nullopt};
    QCOMPARE(QString::fromUtf8(CliOutput::playerLines(players, &playing, &sightings)),
             QStringLiteral("a\t10.0.0.1\t1\t0 Default\tanswering\n"
                            "b\t10.0.0.2\t2\t\tlast seen 2024-03-05T08:12:00Z\n"));
    const QJsonArray list
        = QJsonDocument::fromJson(CliOutput::playersJson(players, nullptr, &sightings)).array();
    QCOMPARE(list.at(0)["answering"], QJsonValue(true));
    QCOMPARE(list.at(0)["lastSeen"], QJsonValue("2024-03-06T08:12:00Z"));
    QCOMPARE(list.at(1)["answering"], QJsonValue(false));
    QCOMPARE(list.at(1)["lastSeen"], QJsonValue("2024-03-05T08:12:00Z"));
    const CliOutput::Sightings unknown {{false, QDateTime()}};
    QCOMPARE(QJsonDocument::fromJson(CliOutput::playersJson({players.at(0)}, nullptr, &unknown))
                 .array()
                 .at(0)["lastSeen"],
             QJsonValue(QJsonValue::Null));
}

// play: one error line for each player that did not switch, named as the
// one-player form names it, and every player's outcome in JSON.
void tst_CliOutput::playOutcomes()
{
    using Kind = SwitchOutcome::Kind;
    const auto outcome = [](Kind kind, std::optional<quint16> index, int playing = -2,
                            const QString &reason = {}) {
        SwitchOutcome result;
        result.kind = kind;
        result.index = index;
        if (playing != -2)
            result.playing = PlayerAnswer::Playing {playing, QStringLiteral("Evening\x1b[2J")};
        result.reason = reason;
        return result;
    };
    const FoundPlayer foyer {"foyer\t1", "10.0.0.1", 7000};
    const QList<CliOutput::Played> played {
        {foyer, false, outcome(Kind::Switched, 2, 2)},
        {{"", "10.0.0.2", 7001}, true, outcome(Kind::PlaysAnother, 3, 0)},
        {foyer, false, outcome(Kind::PlaysAnother, 3, -1)},
        {foyer, false, outcome(Kind::NoSuchVideo, std::nullopt, 1)},
        {foyer, false,
         outcome(Kind::NotAnswering, std::nullopt, -2, "did not answer within 0.5 s")},
        {foyer, false, outcome(Kind::Unclear, 4)},
        {{"bar\x1b]0;x\x07", "", 0}, false, std::nullopt},
    };
    QStringList lines;
    for (const CliOutput::Played &one : played)
        lines.append(CliOutput::switchError(one, QStringLiteral("Evening\nloop")).value_or("-"));
    QCOMPARE(lines,
             (QStringList {"-", "10.0.0.2:7001 plays entry 0, not 3",
                           "foyer\\t1 (10.0.0.1:7000) names no entry it plays, not 3",
                           "foyer\\t1 (10.0.0.1:7000) has no video \"Evening\\nloop\"",
                           "foyer\\t1 (10.0.0.1:7000) did not answer within 0.5 s",
                           "foyer\\t1 (10.0.0.1:7000) sent an answer without an activeIndex",
                           "no player \"bar\\x1b]0;x\\x07\" answered the scan"}));

    const QByteArray json = CliOutput::playedJson(played);
    QVERIFY2(terminalSafe(json), json.constData());
    const QJsonArray list = QJsonDocument::fromJson(json).array();
    const auto null = QJsonValue(QJsonValue::Null);
    QCOMPARE(list.at(0).toObject(),
             QJsonObject({{"name", "foyer\t1"},
                          {"address", "10.0.0.1"},
                          {"port", 7000},
                          {"outcome", "switched"},
                          {"index", 2},
                          {"playingIndex", 2},
                          {"playing", "Evening\x1b[2J"}}));
    QCOMPARE(list.at(1)["name"], null);
    QCOMPARE(list.at(1)["playing"], QJsonValue("Default"));
    QCOMPARE(list.at(2)["playingIndex"], null);
    QCOMPARE(list.at(3)["outcome"], QJsonValue("no such video"));
    QCOMPARE(list.at(3)["index"], null);
    QCOMPARE(list.at(6).toObject(),
             QJsonObject({{"name", "bar\x1b]0;x\x07"},
                          {"address", null},
                          {"port", null},
                          {"outcome", "not found"},
                          {"index", null},
                          {"playingIndex", null},
                          {"playing", null}}));
}

void tst_CliOutput::groups()
{
    const QList<PlayerGroups::Group> groups {{"foyer\x1b[2J", {"foyer-1", "a\tb"}}, {"bar", {}}};
    QCOMPARE(QString::fromUtf8(CliOutput::groupLines(groups)),
             QStringLiteral("foyer\\x1b[2J\tfoyer-1\ta\\tb\nbar\n"));
    const QByteArray json = CliOutput::groupsJson(groups);
    QVERIFY(terminalSafe(json));
    QCOMPARE(QJsonDocument::fromJson(json).array(),
             (QJsonArray {QJsonObject {{"name", "foyer\x1b[2J"},
                                       {"members", QJsonArray {"foyer-1", "a\tb"}}},
                          QJsonObject {{"name", "bar"}, {"members", QJsonArray {}}}}));
}

QTEST_APPLESS_MAIN(tst_CliOutput)
#include "tst_clioutput.moc"
