// The update check against a stand-in service on loopback: the request, what
// each answer comes to, and answers at their cap and far past it.
#include "applicationinfo.h"
#include "flood.h"
#include "support.h"
#include "updater.h"
#include "updateservice.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

Q_DECLARE_METATYPE(HttpExchange::Framing)

class tst_Updater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }
    void request();
    void answers_data();
    void answers();
    void cap_data();
    void cap();
};

namespace {

QByteArray offer(const QByteArray &version, const QByteArray &extra = R"("show_message":true)",
                 const QByteArray &platform = "\"windows\"", const QByteArray &type = "update")
{
    return R"({"type":")" + type + R"(","update":{"platform":)" + platform + R"(,"version":")"
        + version + R"(","description":"<b>New</b>","url":"https://q.example/dl",)" + extra + "}}";
}

// A stand-in for the update service on a free loopback port.
struct Service : UpdateService
{
    explicit Service(int status = 200, const QByteArray &body = {},
                     HttpExchange::Framing framing = HttpExchange::Framing::Length)
    {
        setStatus(status);
        setBody(body);
        setFraming(framing);
        QString error;
        if (!listen(QHostAddress::LocalHost, 0, &error))
            qFatal("%s", qPrintable(error));
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/qarn/update.php").arg(port()));
    }
};

// The offers below are judged against this version, whatever the application's is.
ApplicationInfo testIdentity()
{
    return ApplicationInfo(QStringLiteral("2.4.6"), QStringLiteral("Halvorn"),
                           QStringLiteral("Quintavo"), QString(), QString());
}

// Runs one check of updater against service to its end: the offers announced.
int checkOnce(Updater &updater, const Service &service)
{
    updater.setServiceUrl(service.url());
    QSignalSpy available(&updater, &Updater::updateAvailable);
    updater.checkForUpdate();
    // The check's network access, made for it, announces every finished
    // reply, whatever its outcome.
    QSignalSpy finished(updater.findChild<QNetworkAccessManager *>(QStringLiteral("updateCheck")),
                        &QNetworkAccessManager::finished);
    return finished.wait() ? available.count() : -1;
}

} // namespace

void tst_Updater::request()
{
    Service service(404);
    QSignalSpy requests(&service, &UpdateService::logged);
    Updater updater(ApplicationInfo::quintavo());
    updater.setServiceUrl(service.url());
    updater.checkForUpdate();
    QVERIFY(requests.wait());
    QCOMPARE(
        requests.at(0).at(0).toString(),
        QStringLiteral(
            "update-sim GET /qarn/update.php?api=1&application=Quintavo&version=" QUINTAVO_VERSION
            "&platform=windows"));
}

void tst_Updater::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("version"); // empty: no offer
    QTest::addColumn<bool>("showMessage");

    QTest::newRow("newer") << 200 << offer("2.4.7") << "2.4.7" << true;
    QTest::newRow("equal") << 200 << offer("2.4.6") << "" << false;
    QTest::newRow("numeric comparison") << 200 << offer("2.10.0") << "2.10.0" << true;
    QTest::newRow("text kept as sent") << 200 << offer("3..0.0") << "3..0.0" << true;
    QTest::newRow("malformed version") << 200 << offer("3.0") << "" << false;
    QTest::newRow("platform case")
        << 200 << offer("2.4.7", "\"show_message\":true", "\"Windows\"") << "" << false;
    QTest::newRow("type case") << 200
                               << offer("2.4.7", "\"show_message\":true", "\"windows\"", "Update")
                               << "" << false;
    QTest::newRow("show_message as text")
        << 200 << offer("2.4.7", "\"show_message\":\"true\"") << "2.4.7" << false;
    QTest::newRow("not found") << 404 << offer("2.4.7") << "" << false;
    QTest::newRow("not json") << 200 << QByteArray("<html>Hi</html>") << "" << false;
    QTest::newRow("duplicate key")
        << 200 << QByteArray(R"({"type":"update","update":{},"update":{}})") << "" << false;
}

void tst_Updater::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, version);
    QFETCH(bool, showMessage);

    Updater updater(testIdentity());
    const bool offered = !version.isEmpty();
    QCOMPARE(checkOnce(updater, Service(status, body)), offered ? 1 : 0);
    QCOMPARE(updater.version(), version);
    QCOMPARE(updater.showMessage(), showMessage);
    QCOMPARE(updater.description(), offered ? QStringLiteral("<b>New</b>") : QString());
    QCOMPARE(updater.url(), offered ? QStringLiteral("https://q.example/dl") : QString());
}

void tst_Updater::cap_data()
{
    QTest::addColumn<HttpExchange::Framing>("framing");
    QTest::addColumn<qint64>("size"); // of the answer's body
    QTest::addColumn<bool>("offered");

    // The answer comes over plain HTTP: whatever its framing, no more than the
    // cap is read, and far past it the transfer is cut long before the
    // service has sent it all.
    const qint64 cap = Updater::maximumReplySize, far = 64 * cap;
    QTest::newRow("length, at the cap") << HttpExchange::Framing::Length << cap << true;
    QTest::newRow("chunked, at the cap") << HttpExchange::Framing::Chunked << cap << true;
    QTest::newRow("length, past the cap") << HttpExchange::Framing::Length << cap + 1 << false;
    QTest::newRow("length, far past") << HttpExchange::Framing::Length << far << false;
    QTest::newRow("chunked, far past") << HttpExchange::Framing::Chunked << far << false;
    QTest::newRow("no length, far past") << HttpExchange::Framing::Close << far << false;
}

void tst_Updater::cap()
{
    QFETCH(HttpExchange::Framing, framing);
    QFETCH(qint64, size);
    QFETCH(bool, offered);

    Updater updater(testIdentity());
    if (size <= 4 * Updater::maximumReplySize) {
        // A valid offer, padded with blanks.
        const QByteArray valid = offer("2.4.7");
        const Service service(200, '{' + QByteArray(int(size) - valid.size(), ' ') + valid.mid(1),
                              framing);
        QCOMPARE(checkOnce(updater, service), offered ? 1 : 0);
        return;
    }
    if (!Flood::hearsReset())
        QSKIP("a writer here is not told of a link closed unread");
    // A service that sends blanks as fast as they are taken, in the framing
    // asked for: the body never ends within what is read.
    QTcpServer service;
    QVERIFY(service.listen(QHostAddress::LocalHost));
    std::unique_ptr<Flood> flood;
    connect(&service, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *link = service.nextPendingConnection();
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
        QByteArray filler(HttpExchange::chunkSize, ' ');
        if (framing == HttpExchange::Framing::Length)
            head += "Content-Length: " + QByteArray::number(size) + "\r\n\r\n{";
        else if (framing == HttpExchange::Framing::Close)
            head += "Connection: close\r\n\r\n{";
        else
            head += "Transfer-Encoding: chunked\r\n\r\n1\r\n{\r\n",
                filler = QByteArray::number(filler.size(), 16) + "\r\n" + filler + "\r\n";
        flood = std::make_unique<Flood>(link, head, filler, size);
    });
    updater.setServiceUrl(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(service.serverPort())));
    QSignalSpy available(&updater, &Updater::updateAvailable);
    updater.checkForUpdate();
    QVERIFY(Support::waitFor([&] { return flood && flood->ended(); }, 20000));
    QVERIFY2(flood->sent() < size / 4, qPrintable(QString::number(flood->sent())));
    QCOMPARE(available.count(), 0);
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
