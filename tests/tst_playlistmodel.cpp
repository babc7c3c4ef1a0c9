// The player screen's list of videos: what each row holds, and that rows keep
// their identity from one answer to the next. Answers arrive through a signal
// of the hub's signature, as in the application.
#include "playlistmodel.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QtTest>

#include <memory>

// Sends answers as the hub relays them.
class AnswerRelay : public QObject
{
    Q_OBJECT

signals:
    void activeClientChanged(QJsonObject json);
};

class tst_PlaylistModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void roles_data();
    void roles();
    void updateInPlace();
    void tailGrowsAndShrinks();
    void unusableAnswer();
    void activeIndex();
    void clear();

private:
    void send(const QJsonObject &answer) { emit m_relay.activeClientChanged(answer); }
    QVariant value(int row, const QByteArray &roleName) const;
    QStringList descriptions() const;

    std::unique_ptr<PlaylistModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    AnswerRelay m_relay;
};

namespace {

QJsonObject answer(int activeIndex, const QStringList &descriptions)
{
    QJsonArray videos;
    for (const QString &description : descriptions)
        videos.append(
            QJsonObject {{"description", description}, {"duration", 60}, {"exists", true}});
    return {{"activeIndex", activeIndex}, {"quintavo", videos}};
}

struct Spies
{
    explicit Spies(PlaylistModel *model)
        : changed(model, &QAbstractItemModel::dataChanged),
          inserted(model, &QAbstractItemModel::rowsInserted),
          removed(model, &QAbstractItemModel::rowsRemoved),
          reset(model, &QAbstractItemModel::modelReset),
          active(model, &PlaylistModel::activeIndexChanged),
          answered(model, &PlaylistModel::answered)
    { }

    // first:last of each range a signal carried: dataChanged(topLeft,
    // bottomRight, roles) or rowsInserted/rowsRemoved(parent, first, last).
    static QStringList ranges(const QSignalSpy &spy)
    {
        QStringList list;
        for (const QList<QVariant> &arguments : spy) {
            const bool byIndex = arguments.at(1).canConvert<QModelIndex>();
            const int first
                = byIndex ? arguments.at(0).toModelIndex().row() : arguments.at(1).toInt();
            const int last
                = byIndex ? arguments.at(1).toModelIndex().row() : arguments.at(2).toInt();
            list.append(QStringLiteral("%1:%2").arg(first).arg(last));
        }
        return list;
    }

    QSignalSpy changed, inserted, removed, reset, active, answered;
};

} // namespace

void tst_PlaylistModel::init()
{
    m_tester.reset();
    m_model = std::make_unique<PlaylistModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    connect(&m_relay, &AnswerRelay::activeClientChanged, m_model.get(), &PlaylistModel::show);
}

// By the role names the scene's delegate uses.
QVariant tst_PlaylistModel::value(int row, const QByteArray &roleName) const
{
    const int role = m_model->roleNames().key(roleName, -1);
    return role < 0 ? QVariant() : m_model->index(row).data(role);
}

QStringList tst_PlaylistModel::descriptions() const
{
    QStringList list;
    for (int row = 0; row < m_model->rowCount(); ++row)
        list.append(value(row, "description").toString());
    return list;
}

void tst_PlaylistModel::roles_data()
{
    QTest::addColumn<QJsonValue>("video");
    QTest::addColumn<QVariantList>("values"); // description, minutes, seconds, known, available

    QTest::newRow("a video") << QJsonValue(QJsonObject {
        {"description", "<b>Harbour</b>"}, {"duration", 125}, {"exists", true}})
                             << QVariantList {"<b>Harbour</b>", 2, 5, true, true};
    QTest::newRow("no length") << QJsonValue(QJsonObject {{"duration", 0}})
                               << QVariantList {"", 0, 0, true, false};
    QTest::newRow("unknown length")
        << QJsonValue(QJsonObject {{"duration", "95"}, {"exists", true}})
        << QVariantList {"", 0, 0, false, true};
}

void tst_PlaylistModel::roles()
{
    QFETCH(QJsonValue, video);
    QFETCH(QVariantList, values);

    send({{"activeIndex", 1}, {"quintavo", QJsonArray {video}}});
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE((QVariantList {value(0, "description"), value(0, "minutes"), value(0, "seconds"),
                            value(0, "durationKnown"), value(0, "available")}),
             values);
}

void tst_PlaylistModel::updateInPlace()
{
    send(answer(1, {"a", "b", "c", "d", "e"}));
    const QPersistentModelIndex third = m_model->index(2);
    Spies spies(m_model.get());

    // Rows 1, 3 and 4 change: two runs.
    send(answer(1, {"a", "B", "c", "D", "E"}));
    QCOMPARE(Spies::ranges(spies.changed), QStringList({"1:1", "3:4"}));
    QCOMPARE(descriptions(), QStringList({"a", "B", "c", "D", "E"}));
    QCOMPARE(third.row(), 2);

    // A duration or availability alone changes a row too.
    spies.changed.clear();
    QJsonObject changed = answer(1, {"a", "B", "c", "D", "E"});
    QJsonArray videos = changed.value("quintavo").toArray();
    videos[0] = QJsonObject {{"description", "a"}, {"duration", 61}, {"exists", true}};
    videos[2] = QJsonObject {{"description", "c"}, {"duration", 60}, {"exists", false}};
    changed.insert("quintavo", videos);
    send(changed);
    QCOMPARE(Spies::ranges(spies.changed), QStringList({"0:0", "2:2"}));
    QCOMPARE(value(0, "seconds"), QVariant(1));
    QCOMPARE(value(2, "available"), QVariant(false));

    // The same answer again touches no row.
    spies.changed.clear();
    send(changed);
    QVERIFY(spies.changed.isEmpty());
    QCOMPARE(spies.answered.count(), 3);
    QVERIFY(spies.inserted.isEmpty() && spies.removed.isEmpty() && spies.reset.isEmpty());
}

void tst_PlaylistModel::tailGrowsAndShrinks()
{
    send(answer(1, {"a", "b"}));
    Spies spies(m_model.get());

    send(answer(1, {"a", "b", "c", "d", "e"}));
    QCOMPARE(Spies::ranges(spies.inserted), QStringList {"2:4"});
    QCOMPARE(descriptions(), QStringList({"a", "b", "c", "d", "e"}));

    send(answer(1, {"a", "x"}));
    QCOMPARE(Spies::ranges(spies.removed), QStringList {"2:4"});
    QCOMPARE(Spies::ranges(spies.changed), QStringList {"1:1"});
    QCOMPARE(descriptions(), QStringList({"a", "x"}));

    // No playlist at all empties the list.
    send({{"activeIndex", 0}});
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(Spies::ranges(spies.removed), QStringList({"2:4", "0:1"}));
    QCOMPARE(m_model->activeIndex(), 0);
    QCOMPARE(spies.inserted.count(), 1);
    QVERIFY(spies.reset.isEmpty());
}

void tst_PlaylistModel::unusableAnswer()
{
    send(answer(2, {"a", "b"}));
    Spies spies(m_model.get());
    send({{"activeIndex", "1"}, {"quintavo", QJsonArray()}});
    QCOMPARE(descriptions(), QStringList({"a", "b"}));
    QCOMPARE(m_model->activeIndex(), 2);
    QVERIFY(spies.changed.isEmpty() && spies.removed.isEmpty() && spies.reset.isEmpty());
    QVERIFY(spies.active.isEmpty() && spies.answered.isEmpty());
}

void tst_PlaylistModel::activeIndex()
{
    QCOMPARE(m_model->property("activeIndex"), QVariant(-1));
    Spies spies(m_model.get());

    send(answer(3, {"a", "b", "c"}));
    QCOMPARE(m_model->property("activeIndex"), QVariant(3));
    QCOMPARE(spies.active.count(), 1);
    QCOMPARE(spies.active.at(0).at(0), QVariant(3));

    // The player confirms what it plays: announced, though nothing changed.
    send(answer(3, {"a", "b", "c"}));
    QCOMPARE(spies.active.count(), 1);
    QCOMPARE(spies.answered.count(), 2);
}

void tst_PlaylistModel::clear()
{
    send(answer(2, {"a", "b", "c"}));
    Spies spies(m_model.get());
    QVERIFY(QMetaObject::invokeMethod(m_model.get(), "clear"));
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(Spies::ranges(spies.removed), QStringList {"0:2"});
    QVERIFY(spies.reset.isEmpty());
    QCOMPARE(m_model->activeIndex(), -1);
    QCOMPARE(spies.active.count(), 1);
    QVERIFY(spies.answered.isEmpty());

    // Already empty: nothing to announce.
    m_model->clear();
    QCOMPARE(spies.removed.count(), 1);
    QCOMPARE(spies.active.count(), 1);
}

QTEST_GUILESS_MAIN(tst_PlaylistModel)
#include "tst_playlistmodel.moc"
