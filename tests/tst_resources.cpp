// Checks the resource collection compiled into the executable: the seven files
// are reachable by the URLs the scene and start-up use, and the pictures have
// exactly the formats the scene and the platform layers expect. Everything is
// read from the collection, never from disk.
#include <QtEndian>
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QQmlFile>

namespace {

QByteArray resource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 le16(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 le32(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint32 be32(const QByteArray &data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

// The IHDR of a PNG: width, height, bit depth, colour type. IHDR must be the
// first chunk, right after the signature.
struct PngHeader
{
    bool valid = false;
    quint32 width = 0;
    quint32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

PngHeader pngHeader(const QByteArray &png)
{
    PngHeader header;
    if (png.size() < 33 || !png.startsWith(pngSignature) || be32(png, 8) != 13
        || png.mid(12, 4) != "IHDR")
        return header;
    header.valid = true;
    header.width = be32(png, 16);
    header.height = be32(png, 20);
    header.bitDepth = quint8(png.at(24));
    header.colourType = quint8(png.at(25));
    return header;
}

} // namespace

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void present_data();
    void present();
    void treeHoldsOnlyTheCollection();
    void png_data();
    void png();
    void logo();
    void icon();
};

void tst_Resources::present_data()
{
    QTest::addColumn<QString>("url");

    // The forms in which start-up and the scene name them.
    QTest::newRow("main.qml") << "qrc:/qml/Quintavo/main.qml";
    QTest::newRow("Button.qml") << "qrc:/qml/Quintavo/Button.qml";
    QTest::newRow("Glossy.qml") << "qrc:/qml/Quintavo/Glossy.qml";
    QTest::newRow("background.png") << "qrc:///background.png";
    QTest::newRow("siglogo.gif") << "qrc:///siglogo.gif";
    QTest::newRow("orvik_icon.png") << "qrc:///orvik_icon.png";
    QTest::newRow("orvik_icon.ico") << "qrc:///orvik_icon.ico";
}

void tst_Resources::present()
{
    QFETCH(QString, url);

    const QString path = QQmlFile::urlToLocalFileOrQrc(QUrl(url, QUrl::TolerantMode));
    QVERIFY2(path.startsWith(QLatin1String(":/")), qPrintable(path));
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(!resource(path).isEmpty());
}

void tst_Resources::treeHoldsOnlyTheCollection()
{
    // The scene's directory is its implicit import: nothing else belongs there
    // (a stray qmldir, for one, would change how the components are found).
    QCOMPARE(QDir(QStringLiteral(":/qml/Quintavo")).entryList(QDir::Files, QDir::Name),
             QStringList({"Button.qml", "Glossy.qml", "main.qml"}));
    // Qt's own resources live in subdirectories; the root holds only the pictures.
    QCOMPARE(QDir(QStringLiteral(":/")).entryList(QDir::Files, QDir::Name),
             QStringList({"background.png", "orvik_icon.ico", "orvik_icon.png", "siglogo.gif"}));
}

void tst_Resources::png_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("colourType");

    // Colour type 2: RGB without alpha; 6: RGB with alpha.
    QTest::newRow("background") << ":/background.png" << 720 << 1280 << 2;
    QTest::newRow("icon artwork") << ":/orvik_icon.png" << 128 << 128 << 6;
}

void tst_Resources::png()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, colourType);

    const PngHeader header = pngHeader(resource(path));
    QVERIFY(header.valid);
    QCOMPARE(header.width, quint32(width));
    QCOMPARE(header.height, quint32(height));
    QCOMPARE(header.bitDepth, 8);
    QCOMPARE(header.colourType, colourType);

    // Qt's reader takes it, and it is artwork rather than one flat colour.
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32).scaled(16, 16);
    QCOMPARE(image.isNull(), false);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() >= 4, qPrintable(QString::number(colours.size())));
}

void tst_Resources::logo()
{
    const QByteArray gif = resource(QStringLiteral(":/siglogo.gif"));
    QVERIFY(gif.size() > 13);
    QCOMPARE(gif.left(6), QByteArray("GIF89a"));
    QCOMPARE(le16(gif, 6), quint16(81));
    QCOMPARE(le16(gif, 8), quint16(81));

    // Global colour table present, 2^(n+1) = 16 entries, all of them blues.
    const quint8 flags = quint8(gif.at(10));
    QVERIFY(flags & 0x80);
    const int entries = 2 << (flags & 0x07);
    QCOMPARE(entries, 16);
    QVERIFY(gif.size() > 13 + 3 * entries);
    for (int i = 0; i < entries; ++i) {
        const int r = quint8(gif.at(13 + 3 * i));
        const int g = quint8(gif.at(14 + 3 * i));
        const int b = quint8(gif.at(15 + 3 * i));
        QVERIFY2(b > r && b >= g,
                 qPrintable(QStringLiteral("entry %1 is %2,%3,%4").arg(i).arg(r).arg(g).arg(b)));
    }

    // One frame, opaque, with the looping application extension.
    QImageReader reader(QStringLiteral(":/siglogo.gif"));
    QCOMPARE(reader.imageCount(), 1);
    QVERIFY(!reader.read().hasAlphaChannel());
    QVERIFY(gif.contains(QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01", 17)));
}

void tst_Resources::icon()
{
    const QByteArray ico = resource(QStringLiteral(":/orvik_icon.ico"));
    QVERIFY(ico.size() > 6);
    QCOMPARE(le16(ico, 0), quint16(0)); // reserved
    QCOMPARE(le16(ico, 2), quint16(1)); // icon, not cursor
    const int count = le16(ico, 4);
    QCOMPARE(count, 5);
    QVERIFY(ico.size() >= 6 + 16 * count);

    QList<int> bitmaps;
    QList<int> pngs;
    for (int i = 0; i < count; ++i) {
        const int entry = 6 + 16 * i;
        const int side = quint8(ico.at(entry)) ? quint8(ico.at(entry)) : 256; // 0 means 256
        QCOMPARE(quint8(ico.at(entry + 1)) ? quint8(ico.at(entry + 1)) : 256, side);
        QCOMPARE(le16(ico, entry + 6), quint16(32));
        const quint32 size = le32(ico, entry + 8);
        const quint32 offset = le32(ico, entry + 12);
        QVERIFY(offset >= quint32(6 + 16 * count));
        QVERIFY(quint64(offset) + size <= quint64(ico.size()));
        const QByteArray image = ico.mid(int(offset), int(size));

        if (image.startsWith(pngSignature)) {
            const PngHeader header = pngHeader(image);
            QVERIFY(header.valid);
            QCOMPARE(header.width, quint32(side));
            QCOMPARE(header.height, quint32(side));
            pngs << side;
        } else {
            // BITMAPINFOHEADER: the height counts the colour image and the mask.
            QVERIFY(image.size() >= 40);
            QCOMPARE(le32(image, 0), quint32(40));
            QCOMPARE(qint32(le32(image, 4)), side);
            QCOMPARE(qint32(le32(image, 8)), 2 * side);
            QCOMPARE(le16(image, 14), quint16(32));
            const int rowMask = ((side + 31) / 32) * 4;
            QCOMPARE(image.size(), 40 + side * side * 4 + side * rowMask);
            bitmaps << side;
        }
    }
    std::sort(bitmaps.begin(), bitmaps.end());
    QCOMPARE(bitmaps, QList<int>({16, 24, 32, 48}));
    QCOMPARE(pngs, QList<int>({256}));
}

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
