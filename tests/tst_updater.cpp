#include "applicationinfo.h"
#include "logcapture.h"
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

} // namespace

void tst_Updater::request()
{
    TestHttpServer server(404);
    Updater updater(ApplicationInfo::quintavo());
    updater.setServiceUrl(server.url(QStringLiteral("/qarn/update.php")));
    updater.checkForUpdate();
    QTRY_COMPARE(server.requestLines().size(), 1);
    QCOMPARE(server.requestLines().first(),
             QByteArray("GET /qarn/update.php?api=1&application=Quintavo&version=0.9.2"
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

    QTest::newRow("newer") << 200 << offer("0.9.3") << true << "0.9.3" << true << 0;
    QTest::newRow("equal") << 200 << offer("0.9.2") << false << "" << false << 0;
    QTest::newRow("older") << 200 << offer("0.9.1") << false << "" << false << 0;
    QTest::newRow("numeric comparison") << 200 << offer("0.10.0") << true << "0.10.0" << true << 0;
    QTest::newRow("text kept as sent") << 200 << offer("1..0.0") << true << "1..0.0" << true << 0;
    QTest::newRow("malformed version") << 200 << offer("2.0") << false << "" << false << 0;
    QTest::newRow("platform case") << 200 << offer("0.9.3", "\"show_message\":true", "\"Windows\"")
                                   << false << "" << false << 0;
    QTest::newRow("platform not a string")
        << 200 << offer("0.9.3", "\"show_message\":true", "1") << false << "" << false << 0;
    QTest::newRow("type case") << 200
                               << offer("0.9.3", "\"show_message\":true", "\"windows\"", "Update")
                               << false << "" << false << 0;
    QTest::newRow("show_message as text")
        << 200 << offer("0.9.3", "\"show_message\":\"true\"") << true << "0.9.3" << false << 0;
    QTest::newRow("show_message false")
        << 200 << offer("0.9.3", "\"show_message\":false") << true << "0.9.3" << false << 0;
    QTest::newRow("not found") << 404 << offer("0.9.3") << false << "" << false << 0;
    QTest::newRow("not json") << 200 << QByteArray("<html>Hi</html>") << false << "" << false << 1;
    QTest::newRow("empty body") << 200 << QByteArray() << false << "" << false << 1;
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
    Updater updater(ApplicationInfo::quintavo());
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
    const QMetaObject &meta = Updater::staticMetaObject;
    QCOMPARE(meta.className(), "Updater");
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
    const QMetaMethod signal = meta.method(meta.methodOffset());
    QCOMPARE(signal.methodSignature(), QByteArray("updateAvailable()"));
    QCOMPARE(signal.methodType(), QMetaMethod::Signal);
    const QMetaMethod slot = meta.method(meta.methodOffset() + 1);
    QCOMPARE(slot.methodSignature(), QByteArray("serviceRequestFinished(QNetworkReply*)"));
    QCOMPARE(slot.parameterNames(), QList<QByteArray> {"networkReply"});
    QCOMPARE(slot.methodType(), QMetaMethod::Slot);
    QCOMPARE(slot.access(), QMetaMethod::Public);

    const QList<QPair<QByteArray, QByteArray>> properties {{"version", "QString"},
                                                           {"description", "QString"},
                                                           {"url", "QString"},
                                                           {"showMessage", "bool"}};
    QCOMPARE(meta.propertyCount() - meta.propertyOffset(), properties.size());
    for (int i = 0; i < properties.size(); ++i) {
        const QMetaProperty property = meta.property(meta.propertyOffset() + i);
        QCOMPARE(QByteArray(property.name()), properties.at(i).first);
        QCOMPARE(QByteArray(property.typeName()), properties.at(i).second);
        QVERIFY(!property.isWritable() && !property.hasNotifySignal());
        QVERIFY(property.isDesignable() && property.isScriptable() && property.isStored());
    }
}

QTEST_GUILESS_MAIN(tst_Updater)
#include "tst_updater.moc"
