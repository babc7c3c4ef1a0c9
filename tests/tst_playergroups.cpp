// The players' groups in the settings file: read as a user types them there,
// changed by the store and read back by a fresh one, with what else the file
// holds kept; names unique whatever their case; a file that cannot be read
// is not written over.
#include "applicationsettings.h"
#include "playergroups.h"
#include "support.h"

#include <QFile>
#include <QTemporaryFile>
#include <QtTest>

namespace {

// The groups as one line: "bar: menu-1, menu-2; foyer: foyer-1".
QString shown(const PlayerGroups &store)
{
    QStringList groups;
    for (const PlayerGroups::Group &group : store.groups())
        groups.append(group.name + ": " + group.members.join(", "));
    return groups.join("; ");
}

QByteArray fileBytes()
{
    QFile file(ApplicationSettings().fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    // The registry has no typed form: what the file says goes there key by
    // key, as Qt reads it (key names as Latin-1, which a user typed in UTF-8).
    QTemporaryFile typed;
    QVERIFY(typed.open());
    typed.write(bytes);
    typed.close();
    QSettings file(typed.fileName(), QSettings::IniFormat);
    file.setIniCodec("UTF-8");
    ApplicationSettings settings;
    settings.clear();
    for (const QString &key : file.allKeys())
        settings.setValue(QString::fromUtf8(key.toLatin1()), file.value(key));
#else
    QFile file(ApplicationSettings().fileName());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
#endif
}

// "save NAME|MEMBER|MEMBER", "rename NAME|NEWNAME", "remove NAME": the change's result.
QString apply(PlayerGroups &store, const QString &step)
{
    const int space = step.indexOf(' ');
    const QString verb = step.left(space);
    const QStringList words = step.mid(space + 1).split('|');
    PlayerGroups::Change change = PlayerGroups::Change::Done;
    if (verb == "save")
        change = store.save(words.at(0), words.mid(1));
    else if (verb == "rename")
        change = store.rename(words.at(0), words.at(1));
    else
        change = store.remove(words.at(0));
    static const char *const names[]
        = {"done", "bad name", "no members", "name taken", "no such group", "not written"};
    return QLatin1String(names[int(change)]);
}

} // namespace

class tst_PlayerGroups : public QObject
{
    Q_OBJECT

private slots:
    void changes_data();
    void changes();
    void unreadableFileKept();

private:
    Support::SettingsSandbox m_settings;
};

void tst_PlayerGroups::changes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("groups"); // as a fresh store reads the file after

    // As README tells users to write it, beside what the app keeps there.
    const QByteArray typed = "[discovery]\nextraTargets=10.20.0.255\n\n[groups]\n"
                             "foyer=foyer-1, foyer-2,foyer-3\n"
                             "Bar screens = menu-1\n"
                             "Caf\xc3\xa9=caf\xc3\xa9-1, \"a, b\", caf\xc3\xa9-1,\n";
    const auto row = [](const char *name, const QByteArray &file, const QStringList &steps,
                        const QStringList &results, const QString &groups) {
        QTest::newRow(name) << file << steps << results << groups;
    };
    row("typed into the file", typed, {}, {},
        QString::fromUtf8(
            "Bar screens: menu-1; Café: café-1, a, b; foyer: foyer-1, foyer-2, foyer-3"));
    row("saved", "", {"save  lobby |lobby-2|lobby-1||lobby-2"}, {"done"},
        "lobby: lobby-2, lobby-1");
    row("names unique whatever their case", typed,
        {"save FOYER|foyer-9", "rename Bar screens|Foyer", "rename bar SCREENS|Menus"},
        {"done", "name taken", "done"},
        QString::fromUtf8("Café: café-1, a, b; foyer: foyer-9; Menus: menu-1"));
    row("renamed and removed, typed names too", typed,
        {"rename Café|Café bar", "remove foyer", "rename Café bar|café BAR"},
        {"done", "done", "done"}, QString::fromUtf8("Bar screens: menu-1; café BAR: café-1, a, b"));
    row("names that are data", "",
        {"save <b>x<b> = 50%; #1|a=b", "save a, b|x\x1b[2J", "save [groups]|x"},
        {"done", "done", "done"}, "<b>x<b> = 50%; #1: a=b; [groups]: x; a, b: x\x1b[2J");
    row("refused", typed,
        {"save |a", "save a/b|a", "save a\\b|a", "save a\nb|a", "save none||", "rename nobody|x",
         "rename foyer| ", "remove nobody"},
        {"bad name", "bad name", "bad name", "bad name", "no members", "no such group", "bad name",
         "no such group"},
        QString::fromUtf8(
            "Bar screens: menu-1; Café: café-1, a, b; foyer: foyer-1, foyer-2, foyer-3"));
}

void tst_PlayerGroups::changes()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, results);
    QFETCH(QString, groups);

    writeFile(file);
    PlayerGroups store;
    QCOMPARE(store.readError(), QString());
    QStringList got;
    for (const QString &step : steps)
        got.append(apply(store, step));
    QCOMPARE(got, results);
    QCOMPARE(shown(store), groups);
    QCOMPARE(shown(PlayerGroups()), groups);
    // The rest of the file is the app's.
    QCOMPARE(ApplicationSettings().value("discovery/extraTargets").toString(),
             QString(file.isEmpty() ? "" : "10.20.0.255"));
}

void tst_PlayerGroups::unreadableFileKept()
{
#ifdef Q_OS_WIN
    QSKIP("The registry is read key by key: nothing in it is unreadable as a whole");
#endif
    const QByteArray broken = "[groups\nfoyer=foyer-1\n";
    writeFile(broken);
    PlayerGroups store;
    QVERIFY(store.readError().contains(ApplicationSettings().fileName()));
    QCOMPARE(apply(store, "save lobby|lobby-1"), QString("not written"));
    QCOMPARE(apply(store, "remove foyer"), QString("not written"));
    QCOMPARE(fileBytes(), broken);
}

QTEST_GUILESS_MAIN(tst_PlayerGroups)

#include "tst_playergroups.moc"
