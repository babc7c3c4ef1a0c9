#include "versionnumber.h"

#include <QtTest>

class tst_VersionNumber : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void newerThan_data();
    void newerThan();
};

void tst_VersionNumber::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("patch");
    QTest::addColumn<QString>("printed");

    QTest::newRow("plain") << "0.9.2" << 0 << 9 << 2 << "0.9.2";
    QTest::newRow("empty part dropped") << "1..2.3" << 1 << 2 << 3 << "1.2.3";
    QTest::newRow("leading zeros") << "007.1.2" << 7 << 1 << 2 << "7.1.2";
    QTest::newRow("not a number") << "0.9.x" << 0 << 9 << 0 << "0.9.0";
    QTest::newRow("low 8 bits") << "0.9.258" << 0 << 9 << 2 << "0.9.2";
    QTest::newRow("two parts") << "1.0" << 0 << 0 << 0 << "0.0.0";
    QTest::newRow("four parts") << "1.0.0.1" << 0 << 0 << 0 << "0.0.0";
    QTest::newRow("empty") << "" << 0 << 0 << 0 << "0.0.0";
    QTest::newRow("negative") << "1.-1.0" << 1 << 0 << 0 << "1.0.0";
}

void tst_VersionNumber::parse()
{
    QFETCH(QString, text);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, patch);
    QFETCH(QString, printed);

    const VersionNumber version = VersionNumber::fromText(text);
    QCOMPARE(int(version.major), major);
    QCOMPARE(int(version.minor), minor);
    QCOMPARE(int(version.patch), patch);
    QCOMPARE(version.toText(), printed);
}

void tst_VersionNumber::newerThan_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("newer");

    // Equal, older, newer, numeric order and malformed: rows of tst_Updater::answers.
    QTest::newRow("major beats the rest") << "1.0.0"
                                          << "0.255.255" << true;
    QTest::newRow("older major") << "0.255.255"
                                 << "1.0.0" << false;
}

void tst_VersionNumber::newerThan()
{
    QFETCH(QString, candidate);
    QFETCH(QString, current);
    QFETCH(bool, newer);
    QCOMPARE(VersionNumber::fromText(candidate).isNewerThan(VersionNumber::fromText(current)),
             newer);
}

QTEST_APPLESS_MAIN(tst_VersionNumber)
#include "tst_versionnumber.moc"
