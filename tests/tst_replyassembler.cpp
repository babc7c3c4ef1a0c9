#include "replyassembler.h"

#include <QtTest>

class tst_ReplyAssembler : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void everyCut();
    void overflow();
    void reset();
};

using Reads = QList<QByteArray>;

void tst_ReplyAssembler::reads_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<Reads>("replies"); // announced by feed, in order
    QTest::addColumn<QByteArray>("atClose"); // null: nothing left at close

    const QByteArray nul(1, '\0');
    // Replies with and without the terminator, strings with braces, quotes and
    // backslashes, cut in every way: everyCut().
    QTest::newRow("two unterminated in one read")
        << Reads {"{\"a\":1} [2]"} << Reads {"{\"a\":1}", "[2]"} << QByteArray();
    QTest::newRow("terminator after a complete reply is no reply")
        << Reads {"{\"a\":1}", nul, " \r\n", nul} << Reads {"{\"a\":1}"} << QByteArray();
    QTest::newRow("nul ends a reply, the rest is the next")
        << Reads {"{\"a\":1" + nul + "}"} << Reads {"{\"a\":1"} << QByteArray("}");
    QTest::newRow("junk lasts until nul")
        << Reads {"hello {", "} world" + nul} << Reads {"hello {} world"} << QByteArray();
    QTest::newRow("junk held at close") << Reads {"not json"} << Reads {} << QByteArray("not json");
    QTest::newRow("half reply at close") << Reads {"{\"a\":"} << Reads {} << QByteArray("{\"a\":");
    QTest::newRow("bare value lasts until nul")
        << Reads {"42 ", "\"x\"" + nul} << Reads {"42 \"x\""} << QByteArray();
    QTest::newRow("bare value held at close") << Reads {"42"} << Reads {} << QByteArray("42");
    QTest::newRow("blank only") << Reads {"  \n", nul} << Reads {} << QByteArray();
}

void tst_ReplyAssembler::reads()
{
    QFETCH(Reads, reads);
    QFETCH(Reads, replies);
    QFETCH(QByteArray, atClose);

    ReplyAssembler assembler;
    Reads announced;
    for (const QByteArray &read : reads)
        announced += assembler.feed(read);
    QCOMPARE(announced, replies);
    const auto rest = assembler.finish();
    QCOMPARE(rest.has_value(), !atClose.isNull());
    if (rest)
        QCOMPARE(*rest, atClose);
    QVERIFY(!assembler.overflowed());
}

void tst_ReplyAssembler::everyCut()
{
    // However a stream of replies is cut into reads, the same replies come out.
    const QByteArray stream = QByteArray("{\"activeIndex\":1,\"quintavo\":[{\"description\":"
                                         "\"Snow } [ \\\" day\",\"duration\":65}]}")
        + '\0' + " [1,[2,{}]]" + '\0' + "{\"b\":\"\\\\\"}";
    const Reads expected {stream.left(stream.indexOf('\0')), "[1,[2,{}]]", "{\"b\":\"\\\\\"}"};
    for (int first = 0; first <= stream.size(); ++first) {
        for (int second = first; second <= stream.size(); second += 7) {
            ReplyAssembler assembler;
            Reads announced = assembler.feed(stream.left(first));
            announced += assembler.feed(stream.mid(first, second - first));
            announced += assembler.feed(stream.mid(second));
            QVERIFY(!assembler.finish());
            QCOMPARE(announced, expected);
        }
    }
}

void tst_ReplyAssembler::overflow()
{
    ReplyAssembler assembler;
    const QByteArray piece(1024 * 1024, 'a');
    QByteArray opening = "{\"a\":\"";
    QVERIFY(assembler.feed(opening).isEmpty());
    for (int i = 0; i < 16; ++i)
        QVERIFY(assembler.feed(piece).isEmpty());
    QVERIFY(assembler.overflowed());
    // Nothing more is taken, not even a terminator.
    QVERIFY(assembler.feed(QByteArray("\"}") + '\0').isEmpty());
    QVERIFY(!assembler.finish());
}

void tst_ReplyAssembler::reset()
{
    ReplyAssembler assembler;
    QVERIFY(assembler.feed("{\"a\":\"x").isEmpty());
    assembler.reset();
    QCOMPARE(assembler.feed("{\"b\":2}"), Reads {"{\"b\":2}"});
}

QTEST_APPLESS_MAIN(tst_ReplyAssembler)
#include "tst_replyassembler.moc"
