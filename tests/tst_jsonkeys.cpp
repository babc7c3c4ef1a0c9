#include "jsonkeys.h"

#include <QtTest>

class tst_JsonKeys : public QObject
{
    Q_OBJECT

private slots:
    void duplicates_data();
    void duplicates();
};

void tst_JsonKeys::duplicates_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("duplicate");

    QTest::newRow("distinct") << QByteArray(R"({"a":1,"b":{"a":2},"c":[{"a":3},{"a":4}]})")
                              << false;
    QTest::newRow("top level") << QByteArray(R"({"a":{},"b":1,"a":[]})") << true;
    QTest::newRow("nested") << QByteArray(R"({"q":[{"d":"x","e":1},{"d":"y","d":"z"}]})") << true;
    QTest::newRow("values are no keys") << QByteArray(R"({"a":"a","b":["a","a"]})") << false;
    QTest::newRow("quotes and braces in strings")
        << QByteArray(R"({"a\"}{":1,"a\\":{"x":"}\",\"x\":"}})") << false;
    QTest::newRow("escaped the same") << QByteArray(R"({"a":1,"\u0061":2})") << true;
    QTest::newRow("escaped quote the same") << QByteArray(R"({"\"":1,"\u0022":2})") << true;
    QTest::newRow("prefix is another key") << QByteArray(R"({"ab":1,"a":2})") << false;
    QTest::newRow("not json") << QByteArray("{{\"a\"") << false;
    const QByteArray many = R"({"k1":1,"k2":2,"k3":3,"k4":4,"k5":5,"k6":6,"k7":7,"k8":8,"k9":9)";
    QTest::newRow("many keys") << many + "}" << false;
    QTest::newRow("many keys, one twice") << many + R"(,"k4":{}})" << true;
}

void tst_JsonKeys::duplicates()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, duplicate);
    QCOMPARE(JsonKeys::hasDuplicates(json), duplicate);
}

QTEST_APPLESS_MAIN(tst_JsonKeys)
#include "tst_jsonkeys.moc"
