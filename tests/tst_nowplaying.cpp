// Asking players what they play, over loopback with scripted players: what
// each answer comes to, four links at most with the others waiting their
// turn, and each player asked once however often it is asked meanwhile.
#include "nowplaying.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "support.h"

#include <QtTest>

#include <memory>
#include <vector>

class tst_NowPlaying : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void outcome_data();
    void outcome();
    void fourLinksAtMost();
    void askedOnceWhileItWaits();

private:
    ScriptedPlayer &player(int index)
    {
        while (int(m_players.size()) <= index)
            m_players.push_back(std::make_unique<ScriptedPlayer>());
        return *m_players.at(size_t(index));
    }
    PlayerAddress key(int index)
    {
        return {QStringLiteral("127.0.0.1"), player(index).commandPort()};
    }
    int indexOf(const PlayerAddress &asked) const
    {
        for (size_t i = 0; i < m_players.size(); ++i)
            if (m_players.at(i)->commandPort() == asked.port)
                return int(i);
        return -1;
    }
    // How many links each player was asked on: "1 1 0 ...".
    QString asked() const
    {
        QStringList counts;
        for (const auto &scripted : m_players)
            counts << QString::number(scripted->linkCount());
        return counts.join(' ');
    }
    int links(bool open) const
    {
        int count = 0;
        for (const auto &scripted : m_players)
            for (int i = 0; i < scripted->linkCount(); ++i)
                count += !open || scripted->linkOpen(i) ? 1 : 0;
        return count;
    }
    // Replies on a link that has its request and no reply yet.
    bool answerOne()
    {
        for (size_t p = 0; p < m_players.size(); ++p)
            for (int i = 0; i < m_players.at(p)->linkCount(); ++i)
                if (!m_players.at(p)->received(i).isEmpty()
                    && !m_replied.contains(QStringLiteral("%1:%2").arg(p).arg(i))) {
                    m_replied.insert(QStringLiteral("%1:%2").arg(p).arg(i));
                    m_players.at(p)->reply(i, QByteArray(R"({"activeIndex":0})") + '\0');
                    return true;
                }
        return false;
    }

    std::vector<std::unique_ptr<ScriptedPlayer>> m_players;
    std::unique_ptr<NowPlaying> m_nowPlaying;
    QSet<QString> m_replied; // "PLAYER:LINK"
    // "PLAYER ACTIVE DESCRIPTION" ("?": none), "PLAYER -" (the answer does not
    // say), "PLAYER unanswered"; PLAYER -1 for one that is not scripted.
    QStringList m_outcomes;
};

void tst_NowPlaying::init()
{
    m_nowPlaying = std::make_unique<NowPlaying>();
    connect(
        m_nowPlaying.get(), &NowPlaying::answered, this,
        [this](const PlayerAddress &asked, const std::optional<PlayerAnswer::Playing> &playing) {
            m_outcomes << QString::number(indexOf(asked)) + ' '
                    + (playing ? QString::number(playing->activeIndex) + ' '
                               + playing->description.value_or("?")
                               : QStringLiteral("-"));
        });
    connect(m_nowPlaying.get(), &NowPlaying::unanswered, this, [this](const PlayerAddress &asked) {
        m_outcomes << QString::number(indexOf(asked)) + " unanswered";
    });
}

void tst_NowPlaying::cleanup()
{
    m_nowPlaying.reset();
    m_players.clear();
    m_replied.clear();
    m_outcomes.clear();
}

void tst_NowPlaying::outcome_data()
{
    QTest::addColumn<QByteArray>("reply"); // empty: none ever comes
    QTest::addColumn<QString>("outcome");

    // What an answer reads as: tst_Protocol::answerPlaying; the ways an exchange
    // fails: tst_PlayerExchange::outcome, every one of them unanswered here.
    QTest::newRow("what plays") << QByteArray(
        R"({"activeIndex":2,"quintavo":[{"description":"Dawn"},)"
        R"({"description":"Snow"}]})")
                                << "2 Snow";
    QTest::newRow("says nothing of what plays") << QByteArray(R"({"quintavo":[]})") << "-";
    QTest::newRow("silent past the deadline") << QByteArray() << "unanswered";
}

void tst_NowPlaying::outcome()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, outcome);

    m_nowPlaying->setDeadline(200);
    m_nowPlaying->ask(key(0));
    QTRY_COMPARE(player(0).received(0), PlayerProtocol::playlistRequest());
    if (!reply.isEmpty())
        player(0).reply(0, reply + '\0');
    QTRY_COMPARE(m_outcomes.size(), 1);
    QCOMPARE(m_outcomes.first().section(' ', 1), outcome);
}

void tst_NowPlaying::fourLinksAtMost()
{
    for (int i = 0; i < 30; ++i)
        m_nowPlaying->ask(key(i));
    // The players hold their links: four are asked, the others wait.
    QTRY_COMPARE(links(false), NowPlaying::maximumLinks);
    Support::waitFor([] { return false; }, 100);
    QCOMPARE(links(false), NowPlaying::maximumLinks);
    // As each answer comes, the next player is asked, until all were.
    for (int answered = 0; answered < 30; ++answered) {
        QVERIFY(Support::waitFor([this] { return answerOne(); }));
        QTRY_COMPARE(m_outcomes.size(), answered + 1);
        QTRY_COMPARE(links(false), std::min(30, NowPlaying::maximumLinks + answered + 1));
        QTRY_COMPARE(links(true), std::min(NowPlaying::maximumLinks, 30 - answered - 1));
    }
    QCOMPARE(asked(), QString("1 ").repeated(30).trimmed());
}

void tst_NowPlaying::askedOnceWhileItWaits()
{
    // Six players: four are asked, two wait. Asked again meanwhile, whether
    // being asked or waiting, each is still asked once; one forgotten while
    // it waits is not asked at all. Once answered, a player may be asked again.
    for (int i = 0; i < 6; ++i)
        m_nowPlaying->ask(key(i));
    for (int i : {0, 4, 5, 4, 3})
        m_nowPlaying->ask(key(i));
    m_nowPlaying->forget(key(5));
    while (m_outcomes.size() < 5) {
        QVERIFY(Support::waitFor([this] { return answerOne(); }));
        const int before = m_outcomes.size();
        QTRY_COMPARE(m_outcomes.size(), before + 1);
    }
    Support::waitFor([] { return false; }, 100);
    QCOMPARE(asked(), QStringLiteral("1 1 1 1 1 0"));
    QCOMPARE(m_outcomes.size(), 5);

    m_nowPlaying->ask(key(0));
    QTRY_COMPARE(player(0).received(1), PlayerProtocol::playlistRequest());
}

QTEST_GUILESS_MAIN(tst_NowPlaying)
#include "tst_nowplaying.moc"
