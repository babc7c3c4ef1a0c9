// The background decoded ahead: the scene's Image asks for it by its usual
// address and gets the decoded copy, which shows as the collection's picture;
// other addresses reach the engine unchanged.
#include "preloadedpicture.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtTest>

#include <memory>

class tst_PreloadedPicture : public QObject
{
    Q_OBJECT

private slots:
    void sceneGetsTheDecodedCopy();
};

void tst_PreloadedPicture::sceneGetsTheDecodedCopy()
{
    QQmlEngine engine;
    PreloadedPicture::install(
        std::make_unique<PreloadedPicture>(QStringLiteral(":/background.png")), &engine);
    QQmlComponent component(&engine);
    component.setData(R"(import QtQuick 2.0
        Item {
            property url other: "qrc:///siglogo.gif"
            Image { objectName: "background"; source: "qrc:///background.png" }
            Image { objectName: "logo"; source: parent.other }
        })",
                      QUrl(QStringLiteral("qrc:/qml/Quintavo/Test.qml")));
    std::unique_ptr<QObject> scene(component.create());
    QVERIFY2(scene, qPrintable(component.errorString()));

    const auto *background = scene->findChild<QQuickItem *>(QStringLiteral("background"));
    QCOMPARE(background->property("source").toUrl().scheme(), QStringLiteral("image"));
    // Loaded by the time the scene exists, as the synchronous load was.
    QCOMPARE(background->property("status").toInt(), 1 /* Image.Ready */);
    QCOMPARE(background->property("sourceSize").toSize(), QImage(":/background.png").size());

    const auto *logo = scene->findChild<QQuickItem *>(QStringLiteral("logo"));
    QCOMPARE(logo->property("source").toUrl(), QUrl(QStringLiteral("qrc:///siglogo.gif")));
    QCOMPARE(scene->property("other").toUrl(), QUrl(QStringLiteral("qrc:///siglogo.gif")));
}

QTEST_MAIN(tst_PreloadedPicture)
#include "tst_preloadedpicture.moc"
