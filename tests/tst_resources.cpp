// The Windows icon in the resource collection as the application links it: the
// sizes the shell asks for. (Every picture the scene names loads: tst_scene,
// where a picture that does not is a warning, and fails.)
#include <QImageReader>
#include <QtTest>

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void windowsIconSizes();
};

void tst_Resources::windowsIconSizes()
{
    // Small icons, large icons, extra large, and the 256 of high-density views.
    QImageReader reader(QStringLiteral(":/orvik_icon.ico"));
    QList<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sizes.append(image.width());
    }
    for (int wanted : {16, 32, 48, 256})
        QVERIFY2(sizes.contains(wanted), qPrintable(QString::number(wanted)));
}

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
