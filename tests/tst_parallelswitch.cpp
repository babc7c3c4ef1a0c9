// Several players switched at once, with real players on loopback: what
// comes of each player from what it answers (or does not), the commands
// each one gets, byte for byte; a player that never answers holds up no
// other; playlists are asked at most four at a time; abort() ends a round
// with no signal.
#include "parallelswitch.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "support.h"

#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QByteArray nul(1, '\0');
// What a scripted player does with a command besides answering it so.
const QByteArray silent = "(silent)";
const QByteArray closes = "(close)";
const QByteArray obeys = "(obey)"; // answers that it plays what it was told

// Answers each playlist request with toPlaylist and each switch command with
// toSwitch.
void script(ScriptedPlayer &player, const QByteArray &toPlaylist, const QByteArray &toSwitch)
{
    QObject::connect(&player, &ScriptedPlayer::commandReceived, &player, [=, &player](int link) {
        const QByteArray command = player.received(link);
        const QByteArray answer
            = command == PlayerProtocol::playlistRequest() ? toPlaylist : toSwitch;
        if (answer == closes) {
            player.link(link)->disconnectFromHost();
        } else if (answer == obeys) {
            const auto index = PlayerProtocol::parseSwitchCommand(command.chopped(1));
            player.reply(link,
                         QByteArrayLiteral("{\"activeIndex\":")
                             + QByteArray::number(index.value_or(0)) + "}" + nul);
        } else if (answer != silent) {
            player.reply(link, answer);
        }
    });
}

// The commands a player received, a link each: "playlist", "switch 3" when
// the bytes are exactly those of that command.
QStringList commands(const ScriptedPlayer &player)
{
    QStringList result;
    for (int link = 0; link < player.linkCount(); ++link) {
        const QByteArray bytes = player.received(link);
        const auto index = PlayerProtocol::parseSwitchCommand(bytes.chopped(1));
        if (bytes == PlayerProtocol::playlistRequest())
            result.append(QStringLiteral("playlist"));
        else if (index && bytes == PlayerProtocol::switchCommand(*index))
            result.append(QStringLiteral("switch %1").arg(*index));
        else
            result.append(QString::fromLatin1(bytes.toHex()));
    }
    return result;
}

PlayerAddress at(quint16 port)
{
    return {QStringLiteral("127.0.0.1"), port};
}

} // namespace

class tst_ParallelSwitch : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
    void silentPlayerHoldsUpNoOther();
    void playlistsFourAtATime();
};

void tst_ParallelSwitch::outcome_data()
{
    QTest::addColumn<QString>("video"); // empty: the switch to 3
    QTest::addColumn<QByteArray>("toPlaylist");
    QTest::addColumn<QByteArray>("toSwitch");
    QTest::addColumn<bool>("refusing");
    QTest::addColumn<int>("deadline");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index"); // the index the player was told; -1: none
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("commands");

    using Kind = SwitchOutcome::Kind;
    const int long_ = 60000;
    const QByteArray evening = ScriptedPlayer::playlist({"Morning loop", "Evening loop"});
    const auto row = [&](const char *name, const QString &video, const QByteArray &toPlaylist,
                         const QByteArray &toSwitch, int deadline, Kind kind, int index,
                         const QString &reason, const QStringList &commands) {
        QTest::newRow(name) << video << toPlaylist << toSwitch << false << deadline << int(kind)
                            << index << reason << commands;
    };
    row("closed", "", silent, closes, long_, Kind::NotAnswering, 3,
        "closed the link without an answer", {"switch 3"});
    QTest::newRow("refused") << "" << silent << silent << true << long_ << int(Kind::Unreachable)
                             << 3 << "refused the connection" << QStringList();
    row("no such video", "Night market", evening, obeys, long_, Kind::NoSuchVideo, -1, "",
        {"playlist"});
    row("a playlist that does not say what plays", "Evening loop",
        R"({"quintavo":[{"description":"Evening loop"}]})" + nul, obeys, long_, Kind::Unclear, -1,
        "", {"playlist"});
    row("no playlist", "Evening loop", silent, obeys, 100, Kind::NotAnswering, -1,
        "did not answer within 0.1 s", {"playlist"});
    row("Default needs no playlist", "Default", silent, obeys, long_, Kind::Switched, 0, "",
        {"switch 0"});
}

void tst_ParallelSwitch::outcome()
{
    QFETCH(QString, video);
    QFETCH(QByteArray, toPlaylist);
    QFETCH(QByteArray, toSwitch);
    QFETCH(bool, refusing);
    QFETCH(int, deadline);
    QFETCH(int, kind);
    QFETCH(int, index);
    QFETCH(QString, reason);
    QFETCH(QStringList, commands);

    ScriptedPlayer player;
    script(player, toPlaylist, toSwitch);
    const auto refused = Support::refusingPort();
    const quint16 port = refusing ? refused->localPort() : player.commandPort();

    ParallelSwitch parallel({at(port)});
    parallel.setDeadline(deadline);
    QSignalSpy switching(&parallel, &ParallelSwitch::switching);
    QSignalSpy done(&parallel, &ParallelSwitch::done);
    QSignalSpy finished(&parallel, &ParallelSwitch::finished);
    if (video.isEmpty())
        parallel.switchToIndex(3);
    else
        parallel.switchToVideo(video);
    QVERIFY(finished.wait(5000));

    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toInt(), 0);
    const auto outcome = done.at(0).at(1).value<SwitchOutcome>();
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.index ? int(*outcome.index) : -1, index);
    QCOMPARE(outcome.reason, reason);
    QCOMPARE(switching.count(), index < 0 ? 0 : 1);
    QCOMPARE(::commands(player), commands);
}

// The players' playlists are asked four at a time: one that never answers
// takes one of the four links until its deadline, and the others are asked
// and switched meanwhile, each to its own index.
void tst_ParallelSwitch::silentPlayerHoldsUpNoOther()
{
    ScriptedPlayer mute;
    script(mute, silent, silent);
    std::vector<std::unique_ptr<ScriptedPlayer>> players;
    QList<PlayerAddress> targets {at(mute.commandPort())};
    for (int i = 0; i < 5; ++i) {
        auto &player = *players.emplace_back(std::make_unique<ScriptedPlayer>());
        QStringList descriptions;
        for (int k = 0; k < i; ++k)
            descriptions << QStringLiteral("Menu board");
        descriptions << QStringLiteral("Evening loop");
        script(player, ScriptedPlayer::playlist(descriptions), obeys);
        targets.append(at(player.commandPort()));
    }

    ParallelSwitch parallel(targets);
    parallel.setDeadline(60000);
    QSignalSpy done(&parallel, &ParallelSwitch::done);
    QSignalSpy finished(&parallel, &ParallelSwitch::finished);
    parallel.switchToVideo(QStringLiteral("Evening loop"));
    QTRY_COMPARE(done.count(), 5);
    for (const QList<QVariant> &signal : qAsConst(done)) {
        const int position = signal.at(0).toInt();
        QVERIFY(position >= 1);
        QCOMPARE(int(signal.at(1).value<SwitchOutcome>().kind), int(SwitchOutcome::Kind::Switched));
        QCOMPARE(commands(*players.at(position - 1)),
                 (QStringList {"playlist", QStringLiteral("switch %1").arg(position)}));
    }
    QCOMPARE(commands(mute), QStringList {"playlist"});
    QVERIFY(mute.linkOpen(0));

    parallel.abort();
    QTRY_VERIFY(!mute.linkOpen(0));
    QCOMPARE(done.count(), 5);
    QCOMPARE(finished.count(), 0);
}

// Never more than four playlist requests unanswered at once, and four while
// more players wait: the test answers one at a time.
void tst_ParallelSwitch::playlistsFourAtATime()
{
    const int count = 6;
    std::vector<std::unique_ptr<ScriptedPlayer>> players;
    QList<PlayerAddress> targets;
    QList<QPair<ScriptedPlayer *, int>> unanswered;
    int most = 0;
    for (int i = 0; i < count; ++i) {
        auto *player = players.emplace_back(std::make_unique<ScriptedPlayer>()).get();
        targets.append(at(player->commandPort()));
        connect(player, &ScriptedPlayer::commandReceived, this, [&, player](int link) {
            if (player->received(link) == PlayerProtocol::playlistRequest()) {
                unanswered.append({player, link});
                most = std::max(most, int(unanswered.size()));
            } else {
                player->reply(link, R"({"activeIndex":1})" + nul);
            }
        });
    }

    ParallelSwitch parallel(targets);
    QSignalSpy finished(&parallel, &ParallelSwitch::finished);
    parallel.switchToVideo(QStringLiteral("Evening loop"));
    for (int answered = 0; answered < count; ++answered) {
        QTRY_COMPARE(unanswered.size(), std::min(4, count - answered));
        const auto [player, link] = unanswered.takeFirst();
        player->reply(link, ScriptedPlayer::playlist({"Evening loop"}));
    }
    QVERIFY(finished.wait(5000));
    QCOMPARE(most, 4);
}

QTEST_GUILESS_MAIN(tst_ParallelSwitch)

#include "tst_parallelswitch.moc"
