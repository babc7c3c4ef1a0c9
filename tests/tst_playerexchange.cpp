// One command on a link of its own and the first answer: every way a player
// can end the exchange gives exactly one signal, which names what happened; a
// refused connection ends it at once, long before the deadline; a failure
// tells a silent player from one that cannot be reached; the receiver
// may delete the exchange in the signal's slot; abort() ends it without one.
#include "playerexchange.h"
#include "playerprotocol.h"
#include "replyassembler.h"
#include "scriptedplayer.h"

#include <QTcpSocket>
#include <QtTest>

namespace {
enum Reach { Player, ClosedPort, NoAddress };
const QByteArray command = PlayerProtocol::switchCommand(3);
const QByteArray nul(1, '\0');
} // namespace

using Reads = QList<QByteArray>;

class tst_PlayerExchange : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
    void abortSendsNothing();
};

void tst_PlayerExchange::outcome_data()
{
    QTest::addColumn<int>("reach");
    QTest::addColumn<Reads>("reads"); // what the player sends once the command is in
    QTest::addColumn<bool>("close"); // and whether it then closes the link
    QTest::addColumn<int>("deadline");
    QTest::addColumn<QString>("outcome"); // the answer as compact JSON, or the reason
    QTest::addColumn<int>("failure"); // -1: answered

    using Failure = PlayerExchange::Failure;
    const int long_ = 60000;
    QTest::newRow("the first of two answers")
        << int(Player) << Reads {"{\"a\":", "1}" + nul + "{\"a\":2}" + nul} << false << long_
        << "{\"a\":1}" << -1;
    QTest::newRow("no JSON, then closed")
        << int(Player) << Reads {"busy"} << true << long_ << "{}" << -1;
    QTest::newRow("closed without an answer")
        << int(Player) << Reads {} << true << long_ << "closed the link without an answer"
        << int(Failure::Closed);
    QTest::newRow("silent") << int(Player) << Reads {} << false << 100
                            << "did not answer within 0.1 s" << int(Failure::Silent);
    QTest::newRow("answer too large")
        << int(Player) << Reads {"{\"a\":\"" + QByteArray(ReplyAssembler::maximumReplySize, 'a')}
        << false << long_
        << QStringLiteral("sent an answer of more than %1 bytes")
               .arg(ReplyAssembler::maximumReplySize)
        << int(Failure::Oversized);
    QTest::newRow("refused") << int(ClosedPort) << Reads {} << false << long_
                             << "refused the connection" << int(Failure::Refused);
    QTest::newRow("no address") << int(NoAddress) << Reads {} << false << long_ << "was not found"
                                << int(Failure::NotFound);
}

void tst_PlayerExchange::outcome()
{
    QFETCH(int, reach);
    QFETCH(Reads, reads);
    QFETCH(bool, close);
    QFETCH(int, deadline);
    QFETCH(QString, outcome);
    QFETCH(int, failure);

    ScriptedPlayer player;
    quint16 port = player.commandPort();
    if (reach == ClosedPort) {
        ScriptedPlayer gone;
        port = gone.commandPort();
    }
    const QHostAddress address(reach == NoAddress ? QHostAddress() : QHostAddress::LocalHost);
    auto *exchange = new PlayerExchange(address, port, command, deadline);
    const QPointer<PlayerExchange> alive(exchange);
    QStringList outcomes;
    int failedAs = -1;
    connect(exchange, &PlayerExchange::answered, this, [&](const QJsonObject &answer) {
        outcomes.append(QJsonDocument(answer).toJson(QJsonDocument::Compact));
        delete exchange;
    });
    connect(exchange, &PlayerExchange::failed, this, [&](const QString &reason) {
        outcomes.append(reason);
        failedAs = int(exchange->failure());
        delete exchange;
    });
    exchange->start();
    if (reach == Player) {
        QTRY_COMPARE(player.received(0), command);
        for (const QByteArray &read : reads)
            player.reply(0, read);
        if (close)
            player.link(0)->disconnectFromHost();
    }
    // Well within the deadline of the rows that do not wait it out.
    QTRY_VERIFY(alive.isNull());
    QCOMPARE(outcomes, QStringList {outcome});
    QCOMPARE(failedAs, failure);
}

void tst_PlayerExchange::abortSendsNothing()
{
    ScriptedPlayer player;
    PlayerExchange exchange(QHostAddress(QHostAddress::LocalHost), player.commandPort(), command,
                            100);
    QSignalSpy answered(&exchange, &PlayerExchange::answered);
    QSignalSpy failed(&exchange, &PlayerExchange::failed);
    exchange.start();
    QTRY_COMPARE(player.received(0), command);
    exchange.abort();
    QTRY_VERIFY(!player.linkOpen(0));
    // Nor does the deadline report it.
    QVERIFY(!failed.wait(200));
    QCOMPARE(answered.count(), 0);
}

QTEST_GUILESS_MAIN(tst_PlayerExchange)

#include "tst_playerexchange.moc"
