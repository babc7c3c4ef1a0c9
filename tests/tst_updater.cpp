#include "applicationinfo.h"
#include "logcapture.h"
#include "metasurface.h"
#include "testhttpserver.h"
#include "updater.h"

#include <QtTest>

class tst_Updater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QNetworkReply *>(); }
    void request();
    void answers_data();
    void answers();
    void unreachable();
    void metaObject();
};

namespace {

QByteArray offer(const QByteArray &version, const QByteArray &extra = R"("show_message":true)",
                 const QByteArray &platform = "\"windows\"", const QByteArray &type = "update")
{
    return R"({"type":")" + type + R"(","update":{"platform":)" + platform + R"(,"version":")"
        + version + R"(","description":"<b>New</b>","url":"https://q.example/dl",)" + extra + "}}";
}

// The offers below are judged against this version, whatever the application's is.
ApplicationInfo testIdentity()
{
    return ApplicationInfo(QStringLiteral("2.4.6"), QStringLiteral("Halvorn"),
                           QStringLiteral("Quintavo"), QString(), QString());
}

} // namespace

void tst_Updater::request()
{
    TestHttpServer server(404);
    Updater updater(ApplicationInfo::quintavo());
    updater.setServiceUrl(server.url(QStringLiteral("/qarn/update.php")));
    updater.checkForUpdate();
    QTRY_COMPARE(server.requestLines().size(), 1);
    QCOMPARE(server.requestLines().first(),
             QByteArray("GET /qarn/update.php?api=1&application=Quintavo&version=" QUINTAVO_VERSION
                        "&platform=windows HTTP/1.1"));
    QCOMPARE(Updater::defaultServiceUrl().path(), QStringLiteral("/qarn/update.php"));
    QCOMPARE(Updater::defaultServiceUrl().scheme(), QStringLiteral("http"));
    QCOMPARE(Updater::defaultServiceUrl().port(), -1);
}

void tst_Updater::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("showMessage");
    QTest::addColumn<int>("logLines");

    QTest::newRow("newer") << 200 << offer("2.4.7") << true << "2.4.7" << true << 0;
    QTest::newRow("equal") << 200 << offer("2.4.6") << false << "" << false << 0;
    QTest::newRow("older") << 200 << offer("2.4.5") << false << "" << false << 0;
    QTest::newRow("numeric comparison") << 200 << offer("2.10.0") << true << "2.10.0" << true << 0;
    QTest::newRow("text kept as sent") << 200 << offer("3..0.0") << true << "3..0.0" << true << 0;
    QTest::newRow("malformed version") << 200 << offer("3.0") << false << "" << false << 0;
    QTest::newRow("platform case") << 200 << offer("2.4.7", "\"show_message\":true", "\"Windows\"")
                                   << false << "" << false << 0;
    QTest::newRow("platform not a string")
        << 200 << offer("2.4.7", "\"show_message\":true", "1") << false << "" << false << 0;
    QTest::newRow("type case") << 200
                               << offer("2.4.7", "\"show_message\":true", "\"windows\"", "Update")
                               << false << "" << false << 0;
    QTest::newRow("show_message as text")
        << 200 << offer("2.4.7", "\"show_message\":\"true\"") << true << "2.4.7" << false << 0;
    QTest::newRow("show_message false")
        << 200 << offer("2.4.7", "\"show_message\":false") << true << "2.4.7" << false << 0;
    QTest::newRow("not found") << 404 << offer("2.4.7") << false << "" << false << 0;
    QTest::newRow("not json") << 200 << QByteArray("<html>Hi</html>") << false << "" << false << 1;
    QTest::newRow("empty body") << 200 << QByteArray() << false << "" << false << 1;
    QTest::newRow("duplicate key")
        << 200 << QByteArray(R"({"type":"update","update":{},"update":{}})") << false << "" << false
        << 1;
}

void tst_Updater::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, offered);
    QFETCH(QString, version);
    QFETCH(bool, showMessage);
    QFETCH(int, logLines);

    LogCapture log;
    TestHttpServer server(status, body);
    Updater updater(testIdentity());
    updater.setServiceUrl(server.url(QStringLiteral("/qarn/update.php")));
    QSignalSpy available(&updater, &Updater::updateAvailable);
    // The manager announces every finished reply, whatever its outcome.
    QSignalSpy finished(updater.findChild<QNetworkAccessManager *>(),
                        &QNetworkAccessManager::finished);
    updater.checkForUpdate();
    QVERIFY(finished.wait());

    QCOMPARE(available.count(), offered ? 1 : 0);
    QCOMPARE(updater.version(), version);
    QCOMPARE(updater.showMessage(), showMessage);
    QCOMPARE(updater.description(), offered ? QStringLiteral("<b>New</b>") : QString());
    QCOMPARE(updater.url(), offered ? QStringLiteral("https://q.example/dl") : QString());
    QCOMPARE(log.lines().size(), logLines);
}

void tst_Updater::unreachable()
{
    LogCapture log;
    quint16 closedPort;
    {
        TestHttpServer gone;
        closedPort = quint16(gone.url(QString()).port());
    }
    Updater updater(ApplicationInfo::quintavo());
    updater.setServiceUrl(
        QUrl(QStringLiteral("http://127.0.0.1:%1/qarn/update.php").arg(closedPort)));
    QSignalSpy available(&updater, &Updater::updateAvailable);
    QSignalSpy finished(updater.findChild<QNetworkAccessManager *>(),
                        &QNetworkAccessManager::finished);
    updater.checkForUpdate();
    QVERIFY(finished.wait());
    QCOMPARE(available.count(), 0);
    QVERIFY(log.lines().isEmpty());
}

void tst_Updater::metaObject()
{
    QCOMPARE(metaSurface(Updater::staticMetaObject),
             QStringList({"class Updater : QObject", "signal void updateAvailable()",
                          "slot void serviceRequestFinished(QNetworkReply* networkReply)",
                          "property QString version read", "property QString description read",
                          "property QString url read", "property bool showMessage read"}));
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
