#include "updateservice.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

// The update service stand-in over loopback, asked the way the updater asks.
class tst_UpdateSim : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
};

void tst_UpdateSim::answers_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("configuredStatus");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("offer");

    const QString query = QStringLiteral(
        "/qarn/update.php?api=1&application=Quintavo&version=0.9.2&platform=windows");
    QTest::newRow("offer") << query << 200 << 200 << true;
    QTest::newRow("no query") << "/qarn/update.php" << 200 << 200 << true;
    QTest::newRow("other path") << "/qarn/other.php?api=1" << 200 << 404 << false;
    QTest::newRow("configured 404") << query << 404 << 404 << true;
    QTest::newRow("configured 503") << query << 503 << 503 << true;
}

void tst_UpdateSim::answers()
{
    QFETCH(QString, target);
    QFETCH(int, configuredStatus);
    QFETCH(int, status);
    QFETCH(bool, offer);

    UpdateService service;
    service.setStatus(configuredStatus);
    QSignalSpy logged(&service, &UpdateService::logged);
    QString error;
    QVERIFY2(service.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));

    QNetworkAccessManager manager;
    const QUrl url(QStringLiteral("http://127.0.0.1:%1%2").arg(service.port()).arg(target));
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QVERIFY(finished.wait(5000));

    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), status);
    const QByteArray body = reply->readAll();
    if (offer) {
        QCOMPARE(body, UpdateService::defaultBody());
        QCOMPARE(reply->header(QNetworkRequest::ContentTypeHeader).toString(),
                 QStringLiteral("application/json"));
        QVERIFY(!QJsonDocument::fromJson(body).object().isEmpty());
    } else {
        QVERIFY(body != UpdateService::defaultBody());
    }
    QCOMPARE(reply->header(QNetworkRequest::ContentLengthHeader).toInt(), body.size());
    QCOMPARE(reply->rawHeader("Connection"), QByteArray("close"));
    QCOMPARE(logged.size(), 1);
    QCOMPARE(logged.at(0).at(0).toString(), QStringLiteral("update-sim GET ") + target);
}

QTEST_GUILESS_MAIN(tst_UpdateSim)
#include "tst_updatesim.moc"
