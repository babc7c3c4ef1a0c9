// Where the window opens, from the place it was last closed at and the screens
// there are now. (The round trip through the settings file on the real window:
// the end-to-end window test.)
#include "windowplacement.h"

#include <QtTest>

class tst_WindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void onScreens_data();
    void onScreens();
};

void tst_WindowPlacement::onScreens_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QVector<QRect>>("screens"); // free areas, the primary first
    QTest::addColumn<QRect>("place");

    // A laptop's screen with a panel at the bottom, and a monitor on its right.
    const QRect laptop(0, 0, 1920, 1050);
    const QRect monitor(1920, 0, 1280, 1024);
    const QVector<QRect> both {laptop, monitor};

    QTest::newRow("first run") << QRect() << both << QRect();
    QTest::newRow("no screen") << QRect(10, 20, 400, 700) << QVector<QRect>() << QRect();
    QTest::newRow("monitor gone: centred on the primary screen")
        << QRect(2000, 100, 500, 800) << QVector<QRect> {laptop} << QRect(710, 125, 500, 800);
    QTest::newRow("monitor gone, primary on the right: on the primary")
        << QRect(-1500, 100, 400, 700) << QVector<QRect> {monitor, laptop}
        << QRect(2360, 162, 400, 700);
    QTest::newRow("half off the right edge: moved in")
        << QRect(3000, 200, 400, 700) << both << QRect(2800, 200, 400, 700);
    QTest::newRow("above and left of everything: moved in")
        << QRect(-50, -30, 400, 700) << both << QRect(0, 0, 400, 700);
    QTest::newRow("into the panel: moved up")
        << QRect(100, 500, 400, 700) << both << QRect(100, 350, 400, 700);
    QTest::newRow("across both: onto the one showing more")
        << QRect(1800, 100, 400, 700) << both << QRect(1920, 100, 400, 700);
    QTest::newRow("larger than a smaller screen now: as large as it")
        << QRect(0, 0, 1920, 1050) << QVector<QRect> {QRect(0, 0, 1280, 800)}
        << QRect(0, 0, 1280, 800);
}

void tst_WindowPlacement::onScreens()
{
    QFETCH(QRect, saved);
    QFETCH(QVector<QRect>, screens);
    QFETCH(QRect, place);

    QCOMPARE(WindowPlacement::onScreens(saved, screens), place);
}

QTEST_APPLESS_MAIN(tst_WindowPlacement)
#include "tst_windowplacement.moc"
