// The open player's object over loopback: its command links, the replies it
// announces however they come, a reply at its cap and far past it, and a
// command that cannot be sent.
#include "client.h"
#include "flood.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"
#include "support.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

class tst_Client : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondCommandDropsFirstLink();
    void replies_data();
    void replies();
    void replyCap_data();
    void replyCap();
    void refusedThenListening();
    void unsentCommandIsGivenUp();

private:
    // The client's command link, as the network sees it.
    static QTcpSocket *link(const Client &client)
    {
        return client.findChild<QTcpSocket *>(QStringLiteral("commandLink"));
    }

    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<Client> m_client;
};

void tst_Client::init()
{
    m_player = std::make_unique<ScriptedPlayer>();
    m_client = std::make_unique<Client>(
        QStringLiteral("lobby"), QHostAddress(QHostAddress::LocalHost), m_player->commandPort());
}

void tst_Client::cleanup()
{
    m_client.reset();
    m_player.reset();
}

void tst_Client::secondCommandDropsFirstLink()
{
    QSignalSpy replies(m_client.get(), &Client::jsonChanged);
    m_client->requestPlaylist();
    QTRY_COMPARE(m_player->received(0), PlayerProtocol::playlistRequest());
    // A reply and half the next have come in, in one read, when the next
    // command drops the link.
    m_player->reply(0, QByteArray("{\"a\":1}") + '\0' + "{\"activeIndex\":");
    QVERIFY(replies.wait());
    m_client->switchToIndex(2);
    QTRY_COMPARE(m_player->linkCount(), 2);
    QTRY_VERIFY(!m_player->linkOpen(0));

    // The rest of the old reply is lost; the new link's reply counts, alone.
    m_player->reply(0, "1}");
    m_player->reply(1, QByteArray("{\"activeIndex\":2}") + '\0');
    QTRY_COMPARE(replies.count(), 2);
    QCOMPARE(replies.at(1).at(0).toJsonObject(), QJsonObject({{"activeIndex", 2}}));
    QCOMPARE(m_player->received(1), PlayerProtocol::switchCommand(2));
}

using Reads = QList<QByteArray>;

void tst_Client::replies_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<bool>("closeAfter");
    QTest::addColumn<Reads>("objects"); // compact JSON of each announced object

    const QByteArray nul(1, '\0');
    // However a reply is cut into reads: tst_Protocol::assemblerEveryCut.
    QTest::newRow("joined with nul") << Reads {"{\"a\":1}" + nul + "{\"a\":2}" + nul} << false
                                     << Reads {"{\"a\":1}", "{\"a\":2}"};
    QTest::newRow("identical replies twice") << Reads {"{\"a\":1}" + nul, "{\"a\":1}" + nul}
                                             << false << Reads {"{\"a\":1}", "{\"a\":1}"};
    QTest::newRow("not json") << Reads {"hello" + nul} << false << Reads {"{}"};
    QTest::newRow("reply, then close") << Reads {"{\"a\":1}" + nul} << true << Reads {"{\"a\":1}"};
    QTest::newRow("half reply, then close") << Reads {"{\"a\":"} << true << Reads {"{}"};
}

void tst_Client::replies()
{
    QFETCH(Reads, reads);
    QFETCH(bool, closeAfter);
    QFETCH(Reads, objects);

    QSignalSpy replies(m_client.get(), &Client::jsonChanged);
    m_client->requestPlaylist();
    QTRY_COMPARE(m_player->received(0).size(), 24);
    for (const QByteArray &read : reads) {
        // Handing each piece over separately makes separate reads likely.
        m_player->reply(0, read);
        QTRY_COMPARE(m_player->link(0)->bytesToWrite(), 0);
        QCoreApplication::processEvents();
    }
    if (closeAfter) {
        m_player->link(0)->disconnectFromHost();
        // The close has reached the client once its own socket is down.
        QTRY_COMPARE(link(*m_client)->state(), QAbstractSocket::UnconnectedState);
    }
    QTRY_COMPARE(replies.count(), objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject object = replies.at(i).at(0).toJsonObject();
        QCOMPARE(QJsonDocument(object).toJson(QJsonDocument::Compact), objects.at(i));
    }
}

void tst_Client::replyCap_data()
{
    QTest::addColumn<qint64>("size"); // of the reply, its 0x00 left out
    QTest::addColumn<bool>("announced");

    // At the cap a reply is whole; far past it the link is dropped long
    // before the player has sent it all.
    QTest::newRow("at the cap") << qint64(ReplyAssembler::maximumReplySize) << true;
    QTest::newRow("far past the cap") << 8LL * ReplyAssembler::maximumReplySize << false;
}

void tst_Client::replyCap()
{
    QFETCH(qint64, size);
    QFETCH(bool, announced);

    if (!announced && !Flood::hearsReset())
        QSKIP("a writer here is not told of a link closed unread");
    QSignalSpy replies(m_client.get(), &Client::jsonChanged);
    std::unique_ptr<Flood> flood;
    connect(m_player.get(), &ScriptedPlayer::commandReceived, this, [&](int index) {
        const QByteArray head = "{\"a\":\"";
        // A string of blanks, closed only where the reply ends.
        flood = std::make_unique<Flood>(m_player->link(index), head, QByteArray(64 * 1024, ' '),
                                        size - 2);
    });
    m_client->requestPlaylist();
    QVERIFY(Support::waitFor([&] { return flood && flood->ended(); }, 20000));
    if (announced) {
        m_player->reply(0, QByteArray("\"}") + '\0');
        QVERIFY(replies.wait());
        QCOMPARE(m_client->json().value("a").toString().size(), size - 8);
    } else {
        QVERIFY2(flood->sent() < size / 2, qPrintable(QString::number(flood->sent())));
        QCOMPARE(replies.count(), 0);
    }
}

void tst_Client::refusedThenListening()
{
    // A command to a port where nothing listens comes to nothing; the next
    // one, once something listens there, reaches it.
    auto refusing = Support::refusingPort();
    const quint16 port = refusing->localPort();
    Client client(QStringLiteral("gone"), QHostAddress(QHostAddress::LocalHost), port);
    QSignalSpy replies(&client, &Client::jsonChanged);
    client.requestPlaylist();
    QTRY_COMPARE(link(client)->state(), QAbstractSocket::UnconnectedState);
    refusing.reset();
    QTcpServer player;
    QVERIFY(player.listen(QHostAddress::LocalHost, port));
    client.switchToIndex(1);
    QTRY_VERIFY(player.hasPendingConnections());
    QTcpSocket *accepted = player.nextPendingConnection();
    const QByteArray command = PlayerProtocol::switchCommand(1);
    QTRY_VERIFY(accepted->bytesAvailable() >= command.size());
    QCOMPARE(accepted->readAll(), command);
    QCOMPARE(replies.count(), 0);
}

void tst_Client::unsentCommandIsGivenUp()
{
    // A link that never comes up is given up at the deadline, without
    // blocking the caller. An address on the test namespace's subnet that no
    // host has makes one.
    if (qgetenv("QUINTAVO_NETNS") != "1")
        QSKIP("needs the private test network namespace");
    Client client(QStringLiteral("offline"), QHostAddress(QStringLiteral("10.77.0.99")), 7000);
    client.setCommandDeadline(100);
    QElapsedTimer timer;
    timer.start();
    client.requestPlaylist();
    QVERIFY2(timer.elapsed() < 50, "a command must not block the caller");
    QCOMPARE(link(client)->state(), QAbstractSocket::ConnectingState);
    QTRY_COMPARE_WITH_TIMEOUT(link(client)->state(), QAbstractSocket::UnconnectedState, 2000);
}

QTEST_GUILESS_MAIN(tst_Client)
#include "tst_client.moc"
