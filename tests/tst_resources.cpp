// The resource collection as the application links it: every picture the
// scene names is there and loads, the scene's folder (its implicit import)
// holds QML files only, and the Windows icon has the sizes the shell asks for.
// Everything is read from the collection, never from disk.
#include <QDirIterator>
#include <QImageReader>
#include <QRegularExpression>
#include <QtTest>

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void scenePicturesLoad();
    void sceneFolderHoldsQmlOnly();
    void windowsIconSizes();
};

void tst_Resources::scenePicturesLoad()
{
    static const QRegularExpression named(QStringLiteral("qrc:/*([^\"'\\s]+)"));
    int pictures = 0;
    QDirIterator files(QStringLiteral(":/qml/Quintavo"), {QStringLiteral("*.qml")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        auto matches = named.globalMatch(QString::fromUtf8(file.readAll()));
        while (matches.hasNext()) {
            const QString path = QStringLiteral(":/") + matches.next().captured(1);
            QImageReader reader(path);
            QVERIFY2(!reader.read().isNull(),
                     qPrintable(file.fileName() + ": " + path + ": " + reader.errorString()));
            ++pictures;
        }
    }
    QVERIFY(pictures > 0);
}

void tst_Resources::sceneFolderHoldsQmlOnly()
{
    // A stray qmldir, for one, would change how the scene finds its components.
    const QDir scene(QStringLiteral(":/qml/Quintavo"));
    for (const QString &entry : scene.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        QVERIFY2(entry.endsWith(QLatin1String(".qml")) && QFileInfo(scene, entry).isFile(),
                 qPrintable(entry));
}

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
