// The rows the list shows (PlayerFilter over the directory) and the players
// selected: what a view learns from the filter's announcements alone stays
// what the filter holds, row for row, and the selection follows its players
// through scans, moves, renames, the text typed, and players leaving.
#include "client.h"
#include "playerdirectory.h"
#include "playerfilter.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// What a view holds: each row's host name and mark, read when the row came
// or was announced as changed, never re-read otherwise (as a list view keeps
// its delegates).
class Mirror : public QObject
{
public:
    explicit Mirror(QAbstractItemModel *model) : m_model(model), m_rows(actual())
    {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        m_rows.insert(row, read(row));
                });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) {
                    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
                });
        connect(model, &QAbstractItemModel::rowsMoved, this,
                [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                    const QStringList moving = m_rows.mid(first, last - first + 1);
                    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
                    const int at = to > last ? to - int(moving.size()) : to;
                    for (int row = 0; row < moving.size(); ++row)
                        m_rows.insert(at + row, moving.at(row));
                });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) {
                    for (int row = from.row(); row <= to.row(); ++row)
                        m_rows[row] = read(row);
                });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            m_rows = actual();
            ++m_resets;
        });
    }
    QStringList rows() const { return m_rows; }
    // A reset makes a view build every row anew, and lose its focus on one.
    int resets() const { return m_resets; }
    // The same, read afresh.
    QStringList actual() const
    {
        QStringList rows;
        for (int row = 0; row < m_model->rowCount(); ++row)
            rows.append(read(row));
        return rows;
    }

private:
    QString read(int row) const
    {
        const QModelIndex at = m_model->index(row, 0);
        return at.data(PlayerDirectory::HostnameRole).toString()
            + (at.data(PlayerDirectory::SelectedRole).toBool() ? "*" : "");
    }

    QAbstractItemModel *m_model;
    QStringList m_rows;
    int m_resets = 0;
};

} // namespace

class tst_PlayerFilter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void selection_data();
    void selection();

private:
    // A registration; one that renames a player comes with the next scan.
    void registered(const QString &name, const QString &address)
    {
        if (m_directory->client(address, 7000))
            m_directory->scanStarted();
        m_directory->registered(name, address, 7000);
    }
    int shownRow(const QString &name) const
    {
        for (int row = 0; row < m_filter->rowCount(); ++row)
            if (m_filter->index(row).data(PlayerDirectory::HostnameRole).toString() == name)
                return row;
        return -1;
    }

    std::unique_ptr<PlayerDirectory> m_directory;
    std::unique_ptr<PlayerFilter> m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<Mirror> m_mirror;
};

void tst_PlayerFilter::init()
{
    m_directory = std::make_unique<PlayerDirectory>();
    m_filter = std::make_unique<PlayerFilter>(m_directory.get());
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_filter.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_mirror = std::make_unique<Mirror>(m_filter.get());
    // bar-1 .. bar-3 at 10.0.0.1 .. 3, foyer-1 .. foyer-3 at 10.0.0.11 .. 13.
    for (int n = 1; n <= 3; ++n) {
        registered(QStringLiteral("bar-%1").arg(n), QStringLiteral("10.0.0.%1").arg(n));
        registered(QStringLiteral("foyer-%1").arg(n), QStringLiteral("10.0.0.%1").arg(10 + n));
    }
}

void tst_PlayerFilter::cleanup()
{
    m_mirror.reset();
    m_tester.reset();
    m_filter.reset();
    m_directory.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_PlayerFilter::selection_data()
{
    // Steps: "toggle NAME", "extend NAME NAME" (the rows shown between),
    // "all" (the rows shown), "clear", "text TEXT", "add NAME ADDRESS" (a
    // registration: a new player, or a known address under a new name),
    // "scan" (a scan and its verdict, after which only bar-2 answered),
    // "forget NAME", "forget selected". The rows shown at the end, the
    // selected marked *.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");

    const QStringList all {"bar-1", "bar-2", "bar-3", "foyer-1", "foyer-2", "foyer-3"};
    QTest::newRow("toggle, twice")
        << QStringList {"toggle bar-2", "toggle foyer-1", "toggle bar-2"}
        << QStringList {"bar-1", "bar-2", "bar-3", "foyer-1*", "foyer-2", "foyer-3"};
    QTest::newRow("extend from the row toggled last, either way")
        << QStringList {"toggle foyer-2", "extend bar-1 bar-3", "toggle bar-1",
                        "extend foyer-3 bar-2"}
        << QStringList {"bar-1*", "bar-2*", "bar-3*", "foyer-1*", "foyer-2*", "foyer-3"};
    QTest::newRow("extend with none toggled: from the row given")
        << QStringList {"extend bar-3 foyer-1"}
        << QStringList {"bar-1", "bar-2", "bar-3*", "foyer-1*", "foyer-2", "foyer-3"};
    QTest::newRow("a player above, a scan, a player renamed across the list")
        << QStringList {"toggle bar-1", "toggle foyer-2",   "add aaa 10.0.0.30",
                        "scan",         "add zzz 10.0.0.1", "add bar-0 10.0.0.12"}
        << QStringList {"aaa", "bar-0*", "bar-2", "bar-3", "foyer-1", "foyer-3", "zzz*"};
    QTest::newRow("a player that moved to another address keeps its mark")
        << QStringList {"toggle bar-1", "scan", "add bar-1 10.0.0.40"}
        << QStringList {"bar-1*", "bar-2", "bar-3", "foyer-1", "foyer-2", "foyer-3"};
    QTest::newRow("a player forgotten, and all the selected")
        << QStringList {"toggle bar-1", "toggle bar-3",   "toggle foyer-3",
                        "forget bar-3", "toggle foyer-1", "forget selected"}
        << QStringList {"bar-2", "foyer-2"};
    QTest::newRow("typed text: the marks stay on the rows held back")
        << QStringList {"toggle bar-1", "text foyer", "all", "text", "toggle foyer-2"}
        << QStringList {"bar-1*", "bar-2", "bar-3", "foyer-1*", "foyer-2", "foyer-3*"};
    QTest::newRow("typed text: by address, players coming and going under it")
        << QStringList {"text 10.0.0.1",       "add bar-9 10.0.0.19", "add x 10.0.0.2",
                        "toggle foyer-3",      "forget bar-1",        "all",
                        "add foyer-1 10.0.0.5"}
        << QStringList {"bar-9*", "foyer-1*", "foyer-2*", "foyer-3*"};
    QTest::newRow("typed text: renamed in and out of it")
        << QStringList {"text bar", "toggle bar-2", "add foyer-0 10.0.0.2", "add bar-x 10.0.0.13",
                        "all",      "text"}
        << QStringList {"bar-1*", "bar-3*", "bar-x*", "foyer-0*", "foyer-1", "foyer-2"};
    QTest::newRow("clear") << QStringList {"all", "clear"} << all;
}

void tst_PlayerFilter::selection()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    QSignalSpy announced(m_directory.get(), &PlayerDirectory::selectionChanged);
    int count = 0;
    for (const QString &step : steps) {
        const QStringList words = step.split(' ');
        const QString &verb = words.at(0);
        if (verb == "toggle") {
            m_filter->toggle(shownRow(words.at(1)));
        } else if (verb == "extend") {
            m_filter->extendTo(shownRow(words.at(1)), shownRow(words.at(2)));
        } else if (verb == "all") {
            m_filter->selectShown();
        } else if (verb == "clear") {
            m_filter->clearSelection();
        } else if (verb == "text") {
            m_filter->setText(words.value(1));
        } else if (verb == "add") {
            registered(words.at(1), words.at(2));
        } else if (verb == "scan") {
            const int scan = m_directory->scanStarted();
            registered("bar-2", "10.0.0.2");
            m_directory->scanEnded(scan);
        } else if (verb == "forget" && words.at(1) == "selected") {
            m_filter->forgetSelected();
        } else if (verb == "forget") {
            m_filter->forget(shownRow(words.at(1)));
        } else {
            QFAIL(qPrintable("no such step: " + step));
        }
        QCOMPARE(m_mirror->rows(), m_mirror->actual());
        // A count that changed was announced, for the bar that shows it.
        QVERIFY(m_directory->selectedCount() == count || !announced.isEmpty());
        count = m_directory->selectedCount();
        announced.clear();
    }
    QCOMPARE(m_mirror->rows(), shown);
    QCOMPARE(m_mirror->resets(), 0);
    QCOMPARE(m_directory->selectedCount(), int(m_directory->selectedPlayers().size()));
}

QTEST_GUILESS_MAIN(tst_PlayerFilter)
#include "tst_playerfilter.moc"
