#include "client.h"
#include "logcapture.h"
#include "playerprotocol.h"
#include "scriptedplayer.h"

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
    void refusedConnection();
    void unansweredCommandIsGivenUp();

private:
    std::unique_ptr<ScriptedPlayer> m_player;
    std::unique_ptr<Client> m_client;
    std::unique_ptr<LogCapture> m_log;
};

void tst_Client::init()
{
    m_log = std::make_unique<LogCapture>();
    m_player = std::make_unique<ScriptedPlayer>();
    m_client = std::make_unique<Client>(
        QStringLiteral("lobby"), QHostAddress(QHostAddress::LocalHost), m_player->commandPort());
}

void tst_Client::cleanup()
{
    m_client.reset();
    m_player.reset();
    m_log.reset();
}

void tst_Client::secondCommandDropsFirstLink()
{
    QSignalSpy replies(m_client.get(), &Client::jsonChanged);
    QSignalSpy read(m_client->findChild<QTcpSocket *>(), &QTcpSocket::readyRead);
    QCOMPARE(m_client->json(), QJsonObject()); // before any reply
    m_client->requestPlaylist();
    QTRY_COMPARE(m_player->received(0).size(), 24);
    // Half a reply has come in when the next command drops its link.
    m_player->reply(0, "{\"activeIndex\":");
    QVERIFY(read.wait());
    m_client->switchToIndex(2);
    QTRY_COMPARE(m_player->linkCount(), 2);
    QTRY_VERIFY(!m_player->linkOpen(0));

    // The rest of the old reply is lost; the new link's reply counts, alone.
    m_player->reply(0, "1}");
    m_player->reply(1, QByteArray("{\"activeIndex\":2}") + '\0');
    QVERIFY(replies.wait());
    QCOMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).toJsonObject(), QJsonObject({{"activeIndex", 2}}));
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
        // Handing each piece over separately makes separate reads likely; the
        // assembler's own test covers every possible cut.
        m_player->reply(0, read);
        QTRY_COMPARE(m_player->link(0)->bytesToWrite(), 0);
        QCoreApplication::processEvents();
    }
    if (closeAfter) {
        m_player->link(0)->disconnectFromHost();
        // The close has reached the client once its own socket is down.
        QTRY_COMPARE(m_client->findChild<QTcpSocket *>()->state(),
                     QAbstractSocket::UnconnectedState);
    }
    QTRY_COMPARE(replies.count(), objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject object = replies.at(i).at(0).toJsonObject();
        QCOMPARE(QJsonDocument(object).toJson(QJsonDocument::Compact), objects.at(i));
    }
    QCOMPARE(QJsonDocument(m_client->json()).toJson(QJsonDocument::Compact), objects.last());
    QVERIFY2(m_log->lines().isEmpty(), qPrintable(m_log->lines().join('\n')));
}

void tst_Client::refusedConnection()
{
    const quint16 closedPort = m_player->commandPort();
    m_player.reset(); // nothing listens there any more
    Client client(QStringLiteral("gone"), QHostAddress(QHostAddress::LocalHost), closedPort);
    QSignalSpy replies(&client, &Client::jsonChanged);
    const QString refused = QStringLiteral(
        "The connection was refused by the peer. Make sure the fortune server is running, "
        "and check that the host name and port settings are correct.");

    client.requestPlaylist();
    QTRY_COMPARE(m_log->count(refused), 1);
    client.switchToIndex(1);
    QTRY_COMPARE(m_log->count(refused), 2);
    QCOMPARE(m_log->lines(), QStringList({refused, refused}));
    QCOMPARE(m_log->warnings(), m_log->lines());
    QCOMPARE(replies.count(), 0);
}

void tst_Client::unansweredCommandIsGivenUp()
{
    // A peer that accepts connections but never reads: the command fits in the
    // kernel's buffers, so only a link that never comes up can test the deadline.
    // An address on the test namespace's subnet that no host has does that.
    if (qgetenv("QUINTAVO_NETNS") != "1")
        QSKIP("needs the private test network namespace");
    Client client(QStringLiteral("offline"), QHostAddress(QStringLiteral("10.77.0.99")), 7000);
    client.setCommandDeadline(100);
    QElapsedTimer timer;
    timer.start();
    client.requestPlaylist();
    QVERIFY2(timer.elapsed() < 50, "a command must not block the caller");
    QTRY_COMPARE(m_log->lines().size(), 1);
    QCOMPARE(m_log->warnings(), m_log->lines());
    QVERIFY(m_log->lines().first().startsWith("The command to \"offline\" was not sent within"));
}

QTEST_GUILESS_MAIN(tst_Client)
#include "tst_client.moc"
