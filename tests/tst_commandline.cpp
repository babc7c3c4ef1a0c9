// The command lines of both programs, read in-process: quintavo-cli's commands
// and PLAYER, the application's options with Qt's own among them, and the
// scan targets of --scan and of the settings file, whose addresses both read
// by one rule. Errors are one line; entries of the settings file that are left
// out are named, one line each.
#include "applicationoptions.h"
#include "cliarguments.h"
#include "extratargets.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

namespace {

// Reads args as main() would have them, and checks that the application
// object gets them as they were.
ApplicationOptions readOptions(const QStringList &args)
{
    QByteArrayList storage {"quintavo"};
    for (const QString &arg : args)
        storage.append(arg.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int argc = int(storage.size());
    const std::vector<char *> given = argv;
    ApplicationOptions options = ApplicationOptions::read(argc, argv.data());
    if (argc != storage.size() || argv != given)
        qFatal("the arguments were changed");
    return options;
}

CliArguments readCli(const QStringList &args, const QList<QHostAddress> &stored = {})
{
    return CliArguments::read(QStringList {"quintavo-cli"} + args, stored);
}

// A request in a few words: "play 10.0.0.1:9700 3 wait=2000 timeout=5000".
QString described(const CliArguments &arguments)
{
    if (!arguments.request)
        return QStringLiteral("exit %1").arg(arguments.exitStatus);
    const CliRequest &request = *arguments.request;
    static const char *const commands[] = {"list", "playlist", "play"};
    QStringList words {QLatin1String(commands[int(request.command)])};
    if (const auto &player = request.player) {
        const FoundPlayer direct = player->direct();
        words.append(player->isDirect() ? direct.address + ':' + QString::number(direct.port)
                                        : player->text());
    }
    if (request.command == CliRequest::Command::Play)
        words.append(QString::number(request.index));
    words.append(QStringLiteral("wait=%1 timeout=%2")
                     .arg(request.waitMilliseconds)
                     .arg(request.timeoutMilliseconds));
    if (request.json)
        words.append(QStringLiteral("json"));
    for (const QHostAddress &target : request.extraTargets)
        words.append(target.toString());
    return words.join(' ');
}

QStringList texts(const QList<QHostAddress> &addresses)
{
    QStringList result;
    for (const QHostAddress &address : addresses)
        result.append(address.toString());
    return result;
}

void store(const QStringList &entries)
{
    QSettings(ExtraTargets::settingsFile(), QSettings::IniFormat)
        .setValue(QLatin1String(ExtraTargets::settingsKey), entries);
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void init() { store({}); }

    void addresses_data();
    void addresses();
    void players_data();
    void players();
    void cliArguments_data();
    void cliArguments();
    void applicationOptions_data();
    void applicationOptions();
    void settingsFile_data();
    void settingsFile();

private:
    QTemporaryDir m_config;
};

void tst_CommandLine::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // as read; empty: refused

    QTest::newRow("plain") << "10.77.0.11"
                           << "10.77.0.11";
    QTest::newRow("leading zeros") << "192.168.001.010"
                                   << "192.168.1.10";
    QTest::newRow("zeros all along") << "010.000.000.002"
                                     << "10.0.0.2";
    QTest::newRow("above 255") << "300.1.2.3" << QString();
    QTest::newRow("an empty part") << "10..0.1" << QString();
    QTest::newRow("three parts") << "10.0.1" << QString();
    QTest::newRow("five parts") << "1.2.3.4.5" << QString();
    QTest::newRow("four digits") << "0010.0.0.1" << QString();
    QTest::newRow("a dot at the end") << "10.0.0.1." << QString();
}

// Every reader of an address: --scan of both programs, the settings file, and
// PLAYER with a port (no scan) and without (the scan's players matched).
void tst_CommandLine::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    const bool refused = address.isEmpty();
    const QStringList read = refused ? QStringList() : QStringList {address};

    const ApplicationOptions scan = readOptions({"--scan", text});
    QCOMPARE(scan.exitStatus, refused ? std::optional<int>(2) : std::nullopt);
    QCOMPARE(texts(scan.scanTargets), read);
    QCOMPARE(described(readCli({"--scan", text, "list"})),
             refused ? "exit 2" : "list wait=2000 timeout=5000 " + address);

    store({text});
    const ApplicationOptions stored = readOptions({});
    QCOMPARE(texts(stored.scanTargets), read);
    QCOMPARE(stored.error.count('\n'), refused ? 1 : 0);

    QCOMPARE(described(readCli({"play", text + ":9700", "1"})),
             refused ? "exit 2" : "play " + address + ":9700 1 wait=2000 timeout=5000");
    const CliArguments scanned = readCli({"playlist", text});
    QCOMPARE(scanned.request.has_value(), !refused);
    if (!refused) {
        QVERIFY(scanned.request->player->matches({"x", address, 1}));
        QVERIFY(!scanned.request->player->matches({"x", "10.0.0.99", 1}));
    }
}

void tst_CommandLine::players_data()
{
    QTest::addColumn<QString>("player");
    QTest::addColumn<QString>("read"); // "ADDRESS:PORT", "scan", or "exit 2"

    QTest::newRow("host name") << "foyer"
                               << "scan";
    QTest::newRow("port 0") << "10.0.0.1:0"
                            << "exit 2";
    QTest::newRow("port 65535") << "10.0.0.1:65535"
                                << "10.0.0.1:65535";
    QTest::newRow("port 65536") << "10.0.0.1:65536"
                                << "exit 2";
    QTest::newRow("no port after the colon") << "10.0.0.1:"
                                             << "exit 2";
    QTest::newRow("a port by name") << "10.0.0.1:http"
                                    << "exit 2";
    QTest::newRow("[v6]:port") << "[fe80::1]:9700"
                               << "fe80::1:9700";
    QTest::newRow("[v6]:0") << "[::1]:0"
                            << "exit 2";
    QTest::newRow("[name]:port") << "[foyer]:9700"
                                 << "exit 2";
    QTest::newRow("v6 alone") << "::1"
                              << "scan";
}

void tst_CommandLine::players()
{
    QFETCH(QString, player);
    QFETCH(QString, read);
    const CliArguments arguments = readCli({"playlist", player});
    const QString words = described(arguments);
    if (read == QLatin1String("scan")) {
        QCOMPARE(words, "playlist " + player + " wait=2000 timeout=5000");
        QVERIFY(arguments.request->player->matches({player, player, 1}));
    } else if (read.startsWith(QLatin1String("exit"))) {
        QCOMPARE(words, read);
        QCOMPARE(arguments.error.count('\n'), 1);
    } else {
        QCOMPARE(words, "playlist " + read + " wait=2000 timeout=5000");
    }
}

void tst_CommandLine::cliArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("request"); // described(), or "exit N"

    QTest::newRow("list") << QStringList {"list"} << "list wait=2000 timeout=5000 10.0.0.3";
    QTest::newRow("list --wait --json") << QStringList {"list", "--wait", "0.25", "--json"}
                                        << "list wait=250 timeout=5000 json 10.0.0.3";
    QTest::newRow("playlist --timeout") << QStringList {"--timeout", "1.5", "playlist", "foyer"}
                                        << "playlist foyer wait=2000 timeout=1500 10.0.0.3";
    QTest::newRow("play the last index") << QStringList {"play", "foyer", "65535"}
                                         << "play foyer 65535 wait=2000 timeout=5000 10.0.0.3";
    QTest::newRow("--scan twice, and stored")
        << QStringList {"--scan", "10.0.0.2", "--scan", "10.0.0.002", "list"}
        << "list wait=2000 timeout=5000 10.0.0.2 10.0.0.3";
    QTest::newRow("--version") << QStringList {"--version"} << "exit 0";
    QTest::newRow("--help") << QStringList {"--help"} << "exit 0";
    for (const QStringList &wrong : QList<QStringList> {{},
                                                        {"dance"},
                                                        {"list", "foyer"},
                                                        {"playlist"},
                                                        {"play", "foyer"},
                                                        {"play", "foyer", "65536"},
                                                        {"play", "foyer", "two"},
                                                        {"play", "foyer", "1", "--json"},
                                                        {"list", "--wait", "soon"},
                                                        {"list", "--timeout", "86401"},
                                                        {"list", "--no-such-option"},
                                                        {"dance\x1b[2J"}})
        QTest::newRow(qPrintable("quintavo-cli " + wrong.join(' '))) << wrong << "exit 2";
}

void tst_CommandLine::cliArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, request);
    const CliArguments arguments = readCli(args, {QHostAddress("10.0.0.3")});
    QCOMPARE(described(arguments), request);
    if (request == QLatin1String("exit 0")) {
        QVERIFY(!arguments.output.isEmpty());
        QVERIFY(arguments.error.isEmpty());
    }
    if (request == QLatin1String("exit 2")) {
        QVERIFY(arguments.output.isEmpty());
        QVERIFY(arguments.error.startsWith(QLatin1String("quintavo-cli: ")));
        QCOMPARE(arguments.error.count('\n'), 1);
        QVERIFY(!arguments.error.contains(QLatin1Char('\x1b')));
    }
}

void tst_CommandLine::applicationOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitStatus"); // -1: the application starts

    // Qt's own, each before a --scan that must still be read as one.
    for (const QStringList &qt : QList<QStringList> {{"-platform", "offscreen"},
                                                     {"-platformpluginpath", "/p"},
                                                     {"-platformtheme", "t"},
                                                     {"-plugin", "p"},
                                                     {"-qmljsdebugger=port:9999"},
                                                     {"-qwindowgeometry", "10x10"},
                                                     {"-qwindowicon", "i"},
                                                     {"-qwindowtitle", "t"},
                                                     {"-session", "s"},
                                                     {"-display", ":1"},
                                                     {"-geometry", "10x10"},
                                                     {"-reverse"},
                                                     {"-nograb"},
                                                     {"-dograb"}})
        QTest::newRow(qPrintable(qt.join(' '))) << qt + QStringList {"--scan", "10.0.0.1"} << -1;
    QTest::newRow("--version") << QStringList {"--version"} << 0;
    QTest::newRow("--help") << QStringList {"--help"} << 0;
    QTest::newRow("unknown option") << QStringList {"--no-such-option"} << 2;
    QTest::newRow("argument") << QStringList {"lobby"} << 2;
}

void tst_CommandLine::applicationOptions()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitStatus);
    const ApplicationOptions options = readOptions(args);
    QCOMPARE(options.exitStatus.value_or(-1), exitStatus);
    QCOMPARE(options.output.isEmpty(), exitStatus != 0);
    QCOMPARE(options.error.count('\n'), exitStatus == 2 ? 1 : 0);
    if (exitStatus == -1)
        QCOMPARE(texts(options.scanTargets), QStringList {"10.0.0.1"});
}

void tst_CommandLine::settingsFile_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("targets"); // after --scan 10.0.0.1
    QTest::addColumn<QStringList>("leftOut");

    QTest::newRow("addresses") << QStringList {"10.20.0.255", " 192.168.040.017 "}
                               << QStringList {"10.0.0.1", "10.20.0.255", "192.168.40.17"}
                               << QStringList {};
    QTest::newRow("one given and stored") << QStringList {"10.0.0.2", "10.0.0.1"}
                                          << QStringList {"10.0.0.1", "10.0.0.2"} << QStringList {};
    QTest::newRow("blank entries")
        << QStringList {" ", "10.0.0.2"} << QStringList {"10.0.0.1", "10.0.0.2"} << QStringList {};
    QTest::newRow("bad entries") << QStringList {"lobby", "10.0.0.2", "300.1.2.3", "10.0.0.3:7775",
                                                 "fe80::1"}
                                 << QStringList {"10.0.0.1", "10.0.0.2"}
                                 << QStringList {"lobby", "300.1.2.3", "10.0.0.3:7775", "fe80::1"};
}

void tst_CommandLine::settingsFile()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, targets);
    QFETCH(QStringList, leftOut);
    store(entries);
    const ApplicationOptions options = readOptions({"--scan", "10.0.0.1"});
    QCOMPARE(options.exitStatus, std::nullopt);
    QCOMPARE(texts(options.scanTargets), targets);
    const QStringList lines = options.error.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), leftOut.size());
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines.at(i).startsWith(QLatin1String("quintavo: ")), qPrintable(lines.at(i)));
        QVERIFY2(lines.at(i).contains('"' + leftOut.at(i) + '"'), qPrintable(lines.at(i)));
        QVERIFY2(lines.at(i).contains(ExtraTargets::settingsFile()), qPrintable(lines.at(i)));
    }
}

QTEST_GUILESS_MAIN(tst_CommandLine)

#include "tst_commandline.moc"
