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

// What a walk through the blocks of a GIF finds.
struct GifBlocks
{
    bool wellFormed = false;
    int images = 0;
    int loopingExtensions = 0;
    int transparentControls = 0;
};

// Skips a chain of data sub-blocks (length byte, data) up to its 0 terminator;
// returns the position after it, or -1 when the chain runs past the end.
int skipSubBlocks(const QByteArray &gif, int at)
{
    while (at < gif.size()) {
        const int length = quint8(gif.at(at));
        at += 1 + length;
        if (length == 0)
            return at;
    }
    return -1;
}

GifBlocks gifBlocks(const QByteArray &gif, int firstBlock)
{
    GifBlocks found;
    int at = firstBlock;
    while (at >= 0 && at < gif.size()) {
        const quint8 introducer = quint8(gif.at(at));
        if (introducer == 0x3b) { // trailer
            found.wellFormed = at == gif.size() - 1;
            return found;
        }
        if (introducer == 0x2c) { // image descriptor, optional local table, LZW data
            if (at + 10 > gif.size())
                return found;
            ++found.images;
            const quint8 flags = quint8(gif.at(at + 9));
            at += 10;
            if (flags & 0x80)
                at += 3 * (2 << (flags & 0x07));
            at = skipSubBlocks(gif, at + 1); // +1: the LZW minimum code size
        } else if (introducer == 0x21 && at + 2 < gif.size()) {
            const quint8 label = quint8(gif.at(at + 1));
            if (label == 0xf9 && at + 3 < gif.size() && (gif.at(at + 3) & 0x01))
                ++found.transparentControls;
            // NETSCAPE2.0 application block, then the loop sub-block (id 1, count).
            if (label == 0xff && gif.mid(at + 2, 12) == QByteArray("\x0bNETSCAPE2.0", 12)
                && gif.mid(at + 14, 2) == QByteArray("\x03\x01", 2))
                ++found.loopingExtensions;
            at = skipSubBlocks(gif, at + 2);
        } else {
            return found;
        }
    }
    return found;
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
    void picturesDecode_data();
    void picturesDecode();
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

    const GifBlocks blocks = gifBlocks(gif, 13 + 3 * entries);
    QVERIFY(blocks.wellFormed);
    QCOMPARE(blocks.images, 1);
    QCOMPARE(blocks.loopingExtensions, 1);
    QCOMPARE(blocks.transparentControls, 0);
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

void tst_Resources::picturesDecode_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");

    QTest::newRow("background") << ":/background.png" << QSize(720, 1280) << false;
    QTest::newRow("logo") << ":/siglogo.gif" << QSize(81, 81) << false;
    QTest::newRow("icon artwork") << ":/orvik_icon.png" << QSize(128, 128) << true;
}

// The scene's images go through Qt's image readers: they must take them.
void tst_Resources::picturesDecode()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);

    QImageReader reader(path);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.hasAlphaChannel(), alpha);
    // A picture of one flat colour is a placeholder, not artwork.
    const QImage small = image.convertToFormat(QImage::Format_ARGB32).scaled(16, 16);
    QSet<QRgb> colours;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            colours.insert(small.pixel(x, y));
    QVERIFY2(colours.size() >= 4, qPrintable(QString::number(colours.size())));
}

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
