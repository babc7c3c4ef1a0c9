#include "applicationinfo.h"
#include "logcapture.h"
#include "updater.h"
#include "updateservice.h"

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
    void oversized_data();
    void oversized();
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
    // The manager, made for the check, announces every finished reply,
    // whatever its outcome.
    QSignalSpy finished(updater.findChild<QNetworkAccessManager *>(),
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
    QTest::addColumn<int>("logLines");

    QTest::newRow("newer") << 200 << offer("2.4.7") << "2.4.7" << true << 0;
    QTest::newRow("equal") << 200 << offer("2.4.6") << "" << false << 0;
    QTest::newRow("numeric comparison") << 200 << offer("2.10.0") << "2.10.0" << true << 0;
    QTest::newRow("text kept as sent") << 200 << offer("3..0.0") << "3..0.0" << true << 0;
    QTest::newRow("malformed version") << 200 << offer("3.0") << "" << false << 0;
    QTest::newRow("platform case")
        << 200 << offer("2.4.7", "\"show_message\":true", "\"Windows\"") << "" << false << 0;
    QTest::newRow("type case") << 200
                               << offer("2.4.7", "\"show_message\":true", "\"windows\"", "Update")
                               << "" << false << 0;
    QTest::newRow("show_message as text")
        << 200 << offer("2.4.7", "\"show_message\":\"true\"") << "2.4.7" << false << 0;
    QTest::newRow("not found") << 404 << offer("2.4.7") << "" << false << 0;
    QTest::newRow("not json") << 200 << QByteArray("<html>Hi</html>") << "" << false << 1;
    QTest::newRow("duplicate key")
        << 200 << QByteArray(R"({"type":"update","update":{},"update":{}})") << "" << false << 1;
}

void tst_Updater::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, version);
    QFETCH(bool, showMessage);
    QFETCH(int, logLines);

    LogCapture log;
    Updater updater(testIdentity());
    const bool offered = !version.isEmpty();
    QCOMPARE(checkOnce(updater, Service(status, body)), offered ? 1 : 0);
    QCOMPARE(updater.version(), version);
    QCOMPARE(updater.showMessage(), showMessage);
    QCOMPARE(updater.description(), offered ? QStringLiteral("<b>New</b>") : QString());
    QCOMPARE(updater.url(), offered ? QStringLiteral("https://q.example/dl") : QString());
    QCOMPARE(log.lines().size(), logLines);
}

void tst_Updater::oversized_data()
{
    QTest::addColumn<HttpExchange::Framing>("framing");
    QTest::addColumn<int>("padding");
    QTest::addColumn<bool>("offered");

    // The answer comes over plain HTTP: whatever its framing, no more than the
    // cap is read.
    const int over = 4 * Updater::maximumReplySize, under = Updater::maximumReplySize - 1024;
    QTest::newRow("length, over the cap") << HttpExchange::Framing::Length << over << false;
    QTest::newRow("chunked, over the cap") << HttpExchange::Framing::Chunked << over << false;
    QTest::newRow("no length, over the cap") << HttpExchange::Framing::Close << over << false;
    QTest::newRow("chunked, under the cap") << HttpExchange::Framing::Chunked << under << true;
}

void tst_Updater::oversized()
{
    QFETCH(HttpExchange::Framing, framing);
    QFETCH(int, padding);
    QFETCH(bool, offered);

    // A valid offer, padded with blanks.
    Updater updater(testIdentity());
    const Service service(200, '{' + QByteArray(padding, ' ') + offer("2.4.7").mid(1), framing);
    QCOMPARE(checkOnce(updater, service), offered ? 1 : 0);
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
