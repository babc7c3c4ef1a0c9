// One entry played on the selected players, with real players on loopback:
// the entries their playlists share and how many hold each, the index each
// player is told (the first entry of that description, 0 for "Default"),
// what each row then says, each player asked for its playlist once, and a
// player whose playlist comes after the choice switched when it comes.
#include "client.h"
#include "nowplaying.h"
#include "playerdirectory.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "selectionplay.h"
#include "sharedvideos.h"
#include "support.h"

#include <QtTest>

#include <functional>
#include <memory>
#include <numeric>
#include <vector>

class tst_SelectionPlay : public QObject
{
    Q_OBJECT

private slots:
    void play_data();
    void play();
};

void tst_SelectionPlay::play_data()
{
    // Each player: "NAME=DESCRIPTION,DESCRIPTION...;HOW", HOW being how it
    // answers: to all (by default), "mute" (never to a switch), "silent"
    // (never), "late" (its playlist after the choice).
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QString>("chosen");
    // "DESCRIPTION HOLDERS/PLAYERS", sorted.
    QTest::addColumn<QStringList>("entries");
    // "NAME OUTCOME INDEX [PLAYING]": what the row says, the index it was
    // sent (- for none) and what the row says it plays.
    QTest::addColumn<QStringList>("outcomes");

    QTest::newRow("the first of duplicates")
        << QStringList {"a=Evening loop,Menu board", "b=Menu board,Evening loop,Evening loop"}
        << "Evening loop" << QStringList {"Default 2/2", "Evening loop 2/2", "Menu board 2/2"}
        << QStringList {"a switched 1 Evening loop", "b switched 2 Evening loop"};
    QTest::newRow("a player lacking it")
        << QStringList {"a=Evening loop", "c=Menu board"} << "Evening loop"
        << QStringList {"Default 2/2", "Evening loop 1/2", "Menu board 1/2"}
        << QStringList {"a switched 1 Evening loop", "c no such video -"};
    QTest::newRow("Default: 0 everywhere, whatever is named so")
        << QStringList {"a=Evening loop", "d=,Default", "e="} << "Default"
        << QStringList {"Default 3/3", "Evening loop 1/3"}
        << QStringList {"a switched 0 Default", "d switched 0 Default", "e switched 0 Default"};
    QTest::newRow("players that do not answer")
        << QStringList {"a=Evening loop", "m=Evening loop;mute", "s=Evening loop;silent"}
        << "Evening loop" << QStringList {"Default 3/3", "Evening loop 2/3"}
        << QStringList {"a switched 1 Evening loop", "m not answering 1", "s not answering -"};
    QTest::newRow("a playlist that comes after the choice")
        << QStringList {"a=Evening loop", "l=Menu board,Evening loop;late"} << "Evening loop"
        << QStringList {"Default 2/2", "Evening loop 2/2", "Menu board 1/2"}
        << QStringList {"a switched 1 Evening loop", "l switched 2 Evening loop"};
}

void tst_SelectionPlay::play()
{
    QFETCH(QStringList, players);
    QFETCH(QString, chosen);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, outcomes);

    PlayerDirectory directory;
    NowPlaying nowPlaying;
    nowPlaying.setDeadline(150);
    SelectionPlay selection(&directory, &nowPlaying);
    selection.setDeadline(150);
    std::vector<std::unique_ptr<ScriptedPlayer>> scripted;
    QHash<QString, ScriptedPlayer *> byName;
    QList<std::function<void()>> late; // the answers to playlist requests held back
    for (const QString &player : players) {
        const QString name = player.section('=', 0, 0);
        const QString how = player.section(';', 1);
        const QString descriptions = player.section('=', 1).section(';', 0, 0);
        const QByteArray playlist = ScriptedPlayer::playlist(
            descriptions.isEmpty() ? QStringList() : descriptions.split(','));
        scripted.push_back(std::make_unique<ScriptedPlayer>());
        ScriptedPlayer *at = scripted.back().get();
        byName.insert(name, at);
        connect(at, &ScriptedPlayer::commandReceived, at, [=, &late](int link) {
            const auto index = PlayerProtocol::parseSwitchCommand(at->received(link).chopped(1));
            if (how == "silent" || (index && how == "mute"))
                return;
            if (!index && how == "late")
                late.append([at, link, playlist] { at->reply(link, playlist); });
            else if (!index)
                at->reply(link, playlist);
            else
                at->reply(link, "{\"activeIndex\":" + QByteArray::number(*index) + "}" + '\0');
        });
        directory.registered(name, QStringLiteral("127.0.0.1"), at->commandPort());
    }
    QVector<int> rows(directory.count());
    std::iota(rows.begin(), rows.end(), 0);
    directory.setSelected(rows, true);

    selection.gather();
    const int lateCount = int(std::count_if(players.cbegin(), players.cend(),
                                            [](const QString &p) { return p.endsWith(";late"); }));
    QVERIFY(Support::waitFor(
        [&] { return late.size() == lateCount && selection.waiting() == lateCount; }));
    SharedVideos *shared = selection.sharedVideos();
    int entry = -1;
    for (int row = 0; row < shared->count(); ++row)
        if (shared->description(row) == chosen)
            entry = row;
    QVERIFY(entry >= 0);
    selection.play(entry);
    for (const auto &answer : qAsConst(late))
        answer();
    QVERIFY(Support::waitFor([&] { return selection.isDone(); }));

    QStringList offered;
    for (int row = 0; row < shared->count(); ++row)
        offered << QStringLiteral("%1 %2/%3")
                       .arg(shared->description(row))
                       .arg(shared->holders(row))
                       .arg(players.size());
    offered.sort();
    QCOMPARE(offered, entries);

    QStringList said;
    int switched = 0;
    for (int row = 0; row < directory.count(); ++row) {
        const QModelIndex at = directory.index(row);
        const QString name = at.data(PlayerDirectory::HostnameRole).toString();
        const ScriptedPlayer *player = byName.value(name);
        QString sent = "-";
        int asked = 0;
        for (int link = 0; link < player->linkCount(); ++link) {
            const QByteArray command = player->received(link);
            if (command == PlayerProtocol::playlistRequest())
                ++asked;
            else if (const auto index = PlayerProtocol::parseSwitchCommand(command.chopped(1)))
                sent = sent == "-" ? QString::number(*index)
                                   : sent + " and " + QString::number(*index);
        }
        QCOMPARE(asked, 1);
        const QString outcome = at.data(PlayerDirectory::SwitchOutcomeRole).toString();
        switched += outcome == "switched";
        said << QStringList {name, outcome, sent,
                             outcome == "switched"
                                 ? at.data(PlayerDirectory::PlayingRole).toString()
                                 : QString()}
                    .join(' ')
                    .trimmed();
    }
    QCOMPARE(said, outcomes);
    QCOMPARE(selection.switchedCount(), switched);
    QCOMPARE(selection.failures().size(), players.size() - switched);
}

QTEST_GUILESS_MAIN(tst_SelectionPlay)
#include "tst_selectionplay.moc"
