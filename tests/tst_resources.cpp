// The resource collection compiled into the executable: the seven files and
// nothing else where the scene and start-up look, and each picture loads with
// Qt in the format and sizes that its users expect. Everything is read from the
// collection, never from disk.
#include <QDir>
#include <QImageReader>
#include <QtTest>

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void treeHoldsOnlyTheCollection();
    void pictures_data();
    void pictures();
};

void tst_Resources::treeHoldsOnlyTheCollection()
{
    // The scene's directory is its implicit import: nothing else belongs there
    // (a stray qmldir, for one, would change how the components are found).
    // The pictures: pictures().
    QCOMPARE(QDir(QStringLiteral(":/qml/Quintavo")).entryList(QDir::Files, QDir::Name),
             QStringList({"Button.qml", "Glossy.qml", "HeaderBar.qml", "PlayerList.qml",
                          "PlayerScreen.qml", "UpdateNotice.qml", "main.qml"}));
}

void tst_Resources::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QStringList>("sizes"); // of each image in the file
    QTest::addColumn<QImage::Format>("pixels");
    QTest::addColumn<int>("loops"); // -1: forever

    QTest::newRow("background") << ":/background.png" << QByteArray("png")
                                << QStringList {"720x1280"} << QImage::Format_RGB32 << 0;
    QTest::newRow("logo") << ":/siglogo.gif" << QByteArray("gif") << QStringList {"81x81"}
                          << QImage::Format_RGB32 << -1;
    QTest::newRow("icon artwork") << ":/orvik_icon.png" << QByteArray("png")
                                  << QStringList {"128x128"} << QImage::Format_ARGB32 << 0;
    // 32-bit bitmaps below 256, which load premultiplied, and a PNG at 256.
    QTest::newRow("icon") << ":/orvik_icon.ico" << QByteArray("ico")
                          << QStringList {"16x16", "24x24", "32x32", "48x48", "256x256"}
                          << QImage::Format_ARGB32_Premultiplied << 0;
}

void tst_Resources::pictures()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, format);
    QFETCH(QStringList, sizes);
    QFETCH(QImage::Format, pixels);
    QFETCH(int, loops);

    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.imageCount(), sizes.size());
    QCOMPARE(reader.loopCount(), loops);
    for (int i = 0; i < sizes.size(); ++i) {
        QVERIFY(i == 0 || reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(QStringLiteral("%1x%2").arg(image.width()).arg(image.height()), sizes.at(i));
        if (image.width() < 256)
            QCOMPARE(image.format(), pixels);
    }
}

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
