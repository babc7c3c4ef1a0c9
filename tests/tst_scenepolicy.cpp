// What the scene may load, on a real engine and window: its engine sends
// nothing to the network, whatever the scheme; the update notice, read from
// the service's answer as the updater reads it, shows no picture, whatever its
// markup names; the scene's own pictures still load. The bait is a server on
// loopback that counts the connections it gets.
#include "scenepolicy.h"
#include "updateoffer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class tst_ScenePolicy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void networkRefused_data();
    void networkRefused();
    void noticeShowsNoPicture_data();
    void noticeShowsNoPicture();

private:
    QString bait(const char *scheme) const
    {
        return QStringLiteral("%1://127.0.0.1:%2/notice.png")
            .arg(QLatin1String(scheme))
            .arg(m_bait.serverPort());
    }

    QTcpServer m_bait;
    QTemporaryDir m_files;
    QString m_picture;
    QQuickView m_view;
    QQuickItem *m_notice = nullptr;
    QQuickItem *m_logo = nullptr;
};

void tst_ScenePolicy::initTestCase()
{
    QVERIFY(m_bait.listen(QHostAddress::LocalHost));
    QVERIFY(m_files.isValid());
    m_picture = m_files.filePath(QStringLiteral("notice.png"));
    QImage(8, 8, QImage::Format_RGB32).save(m_picture);

    ScenePolicy::apply(m_view.engine());
    QQmlComponent component(m_view.engine());
    // Where the scene lies, so that relative sources resolve as in the notice.
    component.setData("import QtQuick 2.0\n"
                      "Item {\n"
                      "    Text { objectName: 'notice'; width: 300; textFormat: Text.RichText;"
                      " wrapMode: Text.WordWrap }\n"
                      "    Image { objectName: 'logo'; source: 'qrc:/siglogo.gif' }\n"
                      "}\n",
                      QUrl(QStringLiteral("qrc:/qml/Quintavo/Probe.qml")));
    auto *root = qobject_cast<QQuickItem *>(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    root->setParent(&m_view);
    root->setParentItem(m_view.contentItem());
    m_notice = root->findChild<QQuickItem *>(QStringLiteral("notice"));
    m_logo = root->findChild<QQuickItem *>(QStringLiteral("logo"));
    m_view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_view));
}

// A source on the network and a local one: the engine refuses each (every
// request takes the one path, whatever its scheme), and the notice names none
// (its markup loses every picture, whatever the scheme: tst_Protocol).
void tst_ScenePolicy::networkRefused_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("http") << bait("http");
    QTest::newRow("file") << QUrl::fromLocalFile(m_picture).toString();
}

void tst_ScenePolicy::networkRefused()
{
    QFETCH(QString, source);
    QNetworkReply *reply = m_view.engine()->networkAccessManager()->get(QNetworkRequest(source));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait());
    QCOMPARE(reply->error(), QNetworkReply::ContentAccessDenied);
    QCOMPARE(reply->readAll(), QByteArray());
    QVERIFY(!m_bait.hasPendingConnections());
    reply->deleteLater();
}

void tst_ScenePolicy::noticeShowsNoPicture_data()
{
    networkRefused_data();
}

void tst_ScenePolicy::noticeShowsNoPicture()
{
    QFETCH(QString, source);
    // The size makes room for the picture as soon as the element is read,
    // whether the picture loads or not.
    const QString markup = QStringLiteral("<b>%1</b> <img src=\"%2\" width=\"20\" height=\"500\">"
                                          " <a href=\"https://q.example/get\">get it</a>")
                               .arg(QLatin1String(QTest::currentDataTag()), source);
    const QJsonObject update {{"platform", "windows"},
                              {"version", "0.9.3"},
                              {"description", markup},
                              {"show_message", true}};
    const auto offer = UpdateOffer::fromReply(
        QJsonDocument(QJsonObject {{"type", "update"}, {"update", update}}).toJson(),
        QStringLiteral("windows"), VersionNumber::fromText(QStringLiteral("0.9.2")));
    QVERIFY(offer);
    QVERIFY(offer->description.contains(QLatin1String("<a href=\"https://q.example/get\">")));

    QSignalSpy frames(&m_view, &QQuickWindow::frameSwapped);
    m_notice->setProperty("text", offer->description);
    QVERIFY(frames.wait());
    QVERIFY(m_notice->implicitHeight() > 0);
    QVERIFY2(m_notice->implicitHeight() < 500, qPrintable(offer->description));
    QVERIFY(!m_bait.hasPendingConnections());
    // The scene's own pictures load all the same.
    QCOMPARE(m_logo->property("status").toInt(), 1); // Image.Ready
}

QTEST_MAIN(tst_ScenePolicy)

#include "tst_scenepolicy.moc"
