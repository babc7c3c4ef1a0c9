// The player screen's list of videos: rows keep their identity from one answer
// to the next, changing in place. (What each row holds: the scene's tests of
// the entries and their durations.)
#include "playlistmodel.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QtTest>

#include <memory>

namespace {

// An answer with activeIndex and a video for each "description", lasting 60 s
// and there; "description:61" lasts 61 s, "description!" is missing.
QJsonObject answer(int activeIndex, const QStringList &videos)
{
    QJsonArray list;
    for (const QString &video : videos)
        list.append(QJsonObject {{"description", video.section(QRegularExpression("[:!]"), 0, 0)},
                                 {"duration", video.contains(':') ? 61 : 60},
                                 {"exists", !video.endsWith('!')}});
    return {{"activeIndex", activeIndex}, {"quintavo", list}};
}

// first:last of each range a signal carried: dataChanged(topLeft, bottomRight,
// roles) or rowsInserted/rowsRemoved(parent, first, last).
QStringList ranges(const QSignalSpy &spy)
{
    QStringList list;
    for (const QList<QVariant> &arguments : spy) {
        const bool byIndex = arguments.at(1).canConvert<QModelIndex>();
        list.append(
            QStringLiteral("%1:%2")
                .arg(byIndex ? arguments.at(0).toModelIndex().row() : arguments.at(1).toInt())
                .arg(byIndex ? arguments.at(1).toModelIndex().row() : arguments.at(2).toInt()));
    }
    return list;
}

} // namespace

class tst_PlaylistModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void changes_data();
    void changes();
    void activeIndex();

private:
    // By the role names the scene's delegate uses.
    QVariant value(int row, const QByteArray &roleName) const
    {
        return m_model->index(row).data(m_model->roleNames().key(roleName, -1));
    }

    std::unique_ptr<PlaylistModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_PlaylistModel::init()
{
    m_tester.reset();
    m_model = std::make_unique<PlaylistModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void tst_PlaylistModel::changes_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QJsonObject>("after");
    QTest::addColumn<QStringList>("changed"); // ranges of rows, as ranges() gives them
    QTest::addColumn<QStringList>("inserted");
    QTest::addColumn<QStringList>("removed");

    const QStringList five {"a", "b", "c", "d", "e"};
    QTest::newRow("two runs change")
        << five << answer(1, {"a", "B", "c", "D", "E"}) << QStringList {"1:1", "3:4"}
        << QStringList() << QStringList();
    QTest::newRow("a duration or availability alone")
        << five << answer(1, {"a:61", "b", "c!", "d", "e"}) << QStringList {"0:0", "2:2"}
        << QStringList() << QStringList();
    QTest::newRow("the same answer")
        << five << answer(1, five) << QStringList() << QStringList() << QStringList();
    QTest::newRow("the tail grows") << QStringList {"a", "b"} << answer(1, five) << QStringList()
                                    << QStringList {"2:4"} << QStringList();
    QTest::newRow("the tail shrinks") << five << answer(1, {"a", "x"}) << QStringList {"1:1"}
                                      << QStringList() << QStringList {"2:4"};
    QTest::newRow("no playlist") << five << QJsonObject {{"activeIndex", 0}} << QStringList()
                                 << QStringList() << QStringList {"0:4"};
    // An answer that names no usable entry is no answer: nothing changes.
    QTest::newRow("unusable") << five
                              << QJsonObject {{"activeIndex", "1"}, {"quintavo", QJsonArray()}}
                              << QStringList() << QStringList() << QStringList();
}

void tst_PlaylistModel::changes()
{
    QFETCH(QStringList, before);
    QFETCH(QJsonObject, after);
    QFETCH(QStringList, changed);
    QFETCH(QStringList, inserted);
    QFETCH(QStringList, removed);

    m_model->show(answer(1, before));
    QSignalSpy changes(m_model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy insertions(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removals(m_model.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy answered(m_model.get(), &PlaylistModel::answered);
    m_model->show(after);
    QCOMPARE(ranges(changes), changed);
    QCOMPARE(ranges(insertions), inserted);
    QCOMPARE(ranges(removals), removed);
    QCOMPARE(resets.count(), 0);
    const bool usable = after.value("activeIndex").isDouble();
    QCOMPARE(answered.count(), usable ? 1 : 0);
    QCOMPARE(m_model->activeIndex(), usable ? after.value("activeIndex").toInt() : 1);
    const QJsonArray videos = (usable ? after : answer(1, before)).value("quintavo").toArray();
    QCOMPARE(m_model->rowCount(), videos.size());
    for (int row = 0; row < videos.size(); ++row) {
        QCOMPARE(value(row, "label").toString(), videos.at(row)["description"].toString());
        QCOMPARE(value(row, "seconds").toInt(), videos.at(row)["duration"].toInt() % 60);
        QCOMPARE(value(row, "available").toBool(), videos.at(row)["exists"].toBool());
    }
}

// What plays is announced when it changes; every answer is announced, also
// one that confirms what plays. Clearing forgets it.
void tst_PlaylistModel::activeIndex()
{
    QCOMPARE(m_model->activeIndex(), -1);
    QSignalSpy active(m_model.get(), &PlaylistModel::activeIndexChanged);
    QSignalSpy answered(m_model.get(), &PlaylistModel::answered);
    m_model->show(answer(3, {"a", "b", "c"}));
    m_model->show(answer(3, {"a", "b", "c"}));
    QCOMPARE(active.count(), 1);
    QCOMPARE(active.at(0).at(0), QVariant(3));
    QCOMPARE(answered.count(), 2);

    QSignalSpy removed(m_model.get(), &QAbstractItemModel::rowsRemoved);
    m_model->clear();
    QCOMPARE(ranges(removed), QStringList {"0:2"});
    QCOMPARE(m_model->activeIndex(), -1);
    // Already empty: nothing to announce.
    m_model->clear();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(active.count(), 2);
    QCOMPARE(answered.count(), 2);
}

QTEST_GUILESS_MAIN(tst_PlaylistModel)
#include "tst_playlistmodel.moc"
