// The file of remembered players: its format read back as written, every way
// a file can be unreadable (set aside whole, named in one warning, nothing
// remembered), an older file set aside kept, a write cut short leaving the
// file as it was, and where the file lives.
#include "playerfile.h"
#include "playerstore.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

class tst_PlayerStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void roundTrip_data();
    void roundTrip();
    void unreadableSetAside_data();
    void unreadableSetAside();
    void olderFileSetAsideIsKept();
    void writeCutShortLeavesTheFile();
    void location();

private:
    QByteArray contents(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
    void write(const QString &path, const QByteArray &bytes) const
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // What a load announces.
    QVector<RememberedPlayer> load(PlayerStore &store) const
    {
        QSignalSpy loaded(&store, &PlayerStore::loaded);
        store.load();
        return loaded.value(0).value(0).value<QVector<RememberedPlayer>>();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

namespace {

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

RememberedPlayer lobby()
{
    return {"lobby", "10.0.0.7",    7000, at("2024-01-02T03:04:05Z"), at("2024-03-05T08:12:00Z"),
            2,       "Evening loop"};
}

} // namespace

void tst_PlayerStore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void tst_PlayerStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath("players.json");
}

void tst_PlayerStore::roundTrip_data()
{
    QTest::addColumn<QVector<RememberedPlayer>>("players");

    RememberedPlayer hostile = lobby();
    hostile.hostName
        = QStringLiteral("<img src=\"http://x/y.png\">\x1b[2J\u202e\u0000lobby\U0001F3A5");
    hostile.playing = QStringLiteral("\"quoted\"\n\\\t");
    RememberedPlayer plain = lobby();
    plain.hostName.clear();
    plain.address = "fe80::1";
    plain.port = 65535;
    plain.playingIndex = -1;
    plain.playing.clear();
    RememberedPlayer atDefault = lobby();
    atDefault.playingIndex = 0;
    atDefault.playing.clear();
    QTest::newRow("none") << QVector<RememberedPlayer>();
    QTest::newRow("texts as sent, an IPv6 player, nothing played, Default")
        << QVector<RememberedPlayer> {hostile, plain, atDefault};
}

void tst_PlayerStore::roundTrip()
{
    QFETCH(QVector<RememberedPlayer>, players);

    PlayerStore store(m_path);
    QCOMPARE(load(store), QVector<RememberedPlayer>()); // no file yet
    QVERIFY(store.save(players));
    PlayerStore again(m_path);
    QCOMPARE(load(again), players);
    QString why;
    QCOMPARE(PlayerStore::read(m_path, &why), players);
}

void tst_PlayerStore::unreadableSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray good = PlayerFile::encode({lobby()});
    const auto with = [&good](const char *from, const char *to) {
        return QByteArray(good).replace(from, to);
    };
    QTest::newRow("a version it does not know") << with("\"version\": 1", "\"version\": 2");
    QTest::newRow("no version") << with("\"version\": 1", "\"vers\": 1");
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("empty") << QByteArray();
    static const char garbage[] = "\x89PNG\r\n\x1a\n\0\0\0 not the file";
    QTest::newRow("garbage") << QByteArray(garbage, sizeof garbage - 1);
    QTest::newRow("a key twice") << with("\"port\": 7000", "\"port\": 7000, \"port\": 7001");
    QTest::newRow("players not a list") << QByteArray(R"({"version": 1, "players": {}})");
    QTest::newRow("an address that is none") << with("10.0.0.7", "10.0.0.300");
    QTest::newRow("port 0") << with("\"port\": 7000", "\"port\": 0");
    QTest::newRow("port past 65535") << with("\"port\": 7000", "\"port\": 65536");
    QTest::newRow("a time that is none") << with("2024-03-05T08:12:00Z", "yesterday");
    QTest::newRow("an entry played of no index") << with("\"index\": 2", "\"index\": -1");
    QTest::newRow("a host name longer than a record holds")
        << with("\"lobby\"", '"' + QByteArray(256, 'x') + '"');
    QTest::newRow("larger than any file written")
        << with("\"lobby\"", '"' + QByteArray(PlayerFile::maximumSize, 'x') + '"');
}

void tst_PlayerStore::unreadableSetAside()
{
    QFETCH(QByteArray, bytes);

    write(m_path, bytes);
    PlayerStore store(m_path);
    QCOMPARE(load(store), QVector<RememberedPlayer>());
    // Whole, under a name of its own.
    QCOMPARE(contents(m_path + ".bad"), bytes);
    QVERIFY(!QFile::exists(m_path));
    QString why;
    QVERIFY(!PlayerStore::read(m_path + ".bad", &why));
    // The run remembers anew.
    QVERIFY(store.save({lobby()}));
    QCOMPARE(PlayerStore::read(m_path, &why), QVector<RememberedPlayer> {lobby()});
}

void tst_PlayerStore::olderFileSetAsideIsKept()
{
    write(m_path + ".bad", "the first");
    write(m_path, "the second");
    PlayerStore store(m_path);
    load(store);
    QCOMPARE(contents(m_path + ".bad"), QByteArray("the first"));
    const QStringList aside = QDir(m_dir->path()).entryList({"players.json.bad-*"});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(contents(m_dir->filePath(aside.first())), QByteArray("the second"));
}

void tst_PlayerStore::writeCutShortLeavesTheFile()
{
#ifdef Q_OS_UNIX
    // The disk fills up while the file is written: the write stops partway.
    PlayerStore store(m_path);
    load(store);
    QVERIFY(store.save({lobby()}));
    const QByteArray before = contents(m_path);
    QVector<RememberedPlayer> many(200, lobby());
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small {rlim_t(before.size() + 100), limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = store.save(many);
    const bool savedAgain = store.save(many);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    QVERIFY(!saved && !savedAgain);
    QCOMPARE(contents(m_path), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList {"players.json"});
#else
    QSKIP("needs a limit on the size of files");
#endif
}

void tst_PlayerStore::location()
{
    // Where an application of this organisation and name keeps its local
    // data, whichever program asks.
    QCoreApplication::setOrganizationName("Halvorn");
    QCoreApplication::setApplicationName("Quintavo");
    QCOMPARE(PlayerStore::defaultPath(),
             QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
                 + "/players.json");
    QCoreApplication::setApplicationName("quintavo-cli");
    QVERIFY(PlayerStore::defaultPath().endsWith("/Halvorn/Quintavo/players.json"));
}

QTEST_GUILESS_MAIN(tst_PlayerStore)

#include "tst_playerstore.moc"
