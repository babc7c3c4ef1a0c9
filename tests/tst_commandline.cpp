// The command lines of both programs, read in-process: quintavo-cli's commands
// and PLAYER, the application's options with Qt's own among them, and the
// scan targets of --scan and of the settings file, whose addresses every
// reader reads by one rule. Errors are one line; each entry of the settings
// file that is left out is named on a line of its own.
#include "applicationoptions.h"
#include "applicationsettings.h"
#include "cliarguments.h"
#include "extratargets.h"
#include "support.h"

#include <QtTest>

#include <vector>

namespace {

// Reads args as main() has them; the application object must get them as
// they were.
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

// quintavo-cli's request in a few words ("play 10.0.0.1:9700 @foyer 3
// wait=2000 timeout=5000 10.0.0.3"), or "exit N" with output on the right stream.
QString readCli(const QStringList &args, const QList<QHostAddress> &stored = {})
{
    const CliArguments read = CliArguments::read(QStringList {"quintavo-cli"} + args, stored);
    if (!read.request) {
        const bool errorLine = read.error.startsWith(QLatin1String("quintavo-cli: "))
            && read.error.count('\n') == 1 && !read.error.contains(QLatin1Char('\x1b'));
        if (read.exitStatus == 0 ? read.output.isEmpty() || !read.error.isEmpty() : !errorLine)
            return QStringLiteral("bad output: ") + read.output + read.error;
        return QStringLiteral("exit %1").arg(read.exitStatus);
    }
    const CliRequest &request = *read.request;
    static const char *const commands[] = {"list", "playlist", "play", "groups"};
    QStringList words {QLatin1String(commands[int(request.command)])};
    const auto player = [&](const PlayerChoice &choice) {
        const FoundPlayer direct = choice.direct();
        if (choice.group())
            words.append('@' + *choice.group());
        else
            words.append(choice.isDirect() ? direct.address + ':' + QString::number(direct.port)
                                           : choice.text());
    };
    if (request.player)
        player(*request.player);
    for (const PlayerChoice &choice : request.players)
        player(choice);
    if (request.command == CliRequest::Command::Play) {
        if (request.all)
            words.append(QStringLiteral("all"));
        words.append(request.video ? "video=" + *request.video : QString::number(request.index));
    }
    if (request.command == CliRequest::Command::Groups) {
        static const char *const actions[] = {"list", "save", "rename", "delete"};
        words.append(QLatin1String(actions[int(request.groupAction)]));
        words += QStringList {request.groupName, request.newName} + request.members;
        words.removeAll(QString());
    }
    words.append(QStringLiteral("wait=%1 timeout=%2")
                     .arg(request.waitMilliseconds)
                     .arg(request.timeoutMilliseconds));
    if (request.json)
        words.append(QStringLiteral("json"));
    if (request.playing)
        words.append(QStringLiteral("playing"));
    if (request.known)
        words.append(QStringLiteral("known"));
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
    // The application's own settings: a file under the test's folder, or on
    // Windows the registry.
    ApplicationSettings().setValue(QLatin1String(ExtraTargets::settingsKey), entries);
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void init() { store({}); }

    void addresses_data();
    void addresses();
    void cliArguments_data();
    void cliArguments();
    void applicationOptions_data();
    void applicationOptions();
    void settingsFile();

private:
    Support::SettingsSandbox m_settings;
};

void tst_CommandLine::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // as read; empty: refused
    const auto row = [](const char *name, const char *text, const char *address) {
        QTest::newRow(name) << text << address;
    };
    row("plain", "10.77.0.11", "10.77.0.11");
    row("leading zeros", "192.168.001.010", "192.168.1.10");
    row("above 255", "300.1.2.3", "");
    row("an empty part", "10..0.1", "");
    row("three parts", "10.0.1", "");
    row("four digits", "0010.0.0.1", "");
    row("a dot at the end", "10.0.0.1.", "");
}

// Every reader of an address: --scan of both programs, the settings file, and
// PLAYER with a port (no scan) and without (matched among the scan's players).
void tst_CommandLine::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    const bool refused = address.isEmpty();
    const QStringList read = refused ? QStringList() : QStringList {address};

    const ApplicationOptions scan = readOptions({"--scan", text});
    QCOMPARE(scan.exitStatus, refused ? std::optional<int>(2) : std::nullopt);
    QCOMPARE(texts(scan.scanTargets), read);
    QCOMPARE(readCli({"--scan", text, "list"}),
             refused ? "exit 2" : "list wait=2000 timeout=5000 " + address);

    store({text});
    const ApplicationOptions stored = readOptions({});
    QCOMPARE(texts(stored.scanTargets), read);

    QCOMPARE(readCli({"play", text + ":9700", "1"}),
             refused ? "exit 2" : "play " + address + ":9700 1 wait=2000 timeout=5000");
    const CliArguments scanned = CliArguments::read({"quintavo-cli", "playlist", text}, {});
    QCOMPARE(scanned.request.has_value(), !refused);
    if (!refused) {
        QVERIFY(scanned.request->player->matches({"x", address, 1}));
        QVERIFY(!scanned.request->player->matches({"x", "10.0.0.99", 1}));
    }
}

void tst_CommandLine::cliArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("request"); // as readCli() gives it
    const QString tail = QStringLiteral(" wait=2000 timeout=5000 10.0.0.3"); // 10.0.0.3 is stored
    const auto row = [](const QStringList &args, const QString &request) {
        QTest::newRow(qPrintable(args.join(' '))) << args << request;
    };
    row({"list", "--wait", "0.25", "--json"}, "list wait=250 timeout=5000 json 10.0.0.3");
    row({"play", "foyer", "65535"}, "play foyer 65535" + tail);
    // Several players, groups among them, and every player that answers.
    row({"play", "foyer-1", "@foyer", "10.0.0.1:9700", "@@x", "2", "--json"},
        "play foyer-1 @foyer 10.0.0.1:9700 @@x 2 wait=2000 timeout=5000 json 10.0.0.3");
    row({"play", "bar", "--all", "--video", "Default"}, "play bar all video=Default" + tail);
    // With --video every word is a player, digits too.
    row({"play", "@foyer", "3", "--video", "Evening loop"},
        "play @foyer 3 video=Evening loop" + tail);
    row({"groups", "rename", "foyer", "lobby"}, "groups rename foyer lobby" + tail);
    row({"groups", "delete", "foyer"}, "groups delete foyer" + tail);
    row({"play", "foyer", "--video", ""}, "exit 2");
    row({"--scan", "10.0.0.2", "--scan", "10.0.0.002", "list"},
        "list wait=2000 timeout=5000 10.0.0.2 10.0.0.3");
    row({"playlist", "10.0.0.1:65535"}, "playlist 10.0.0.1:65535" + tail);
    row({"playlist", "[fe80::1]:9700"}, "playlist fe80::1:9700" + tail);
    row({"playlist", "::1"}, "playlist ::1" + tail);
    row({"--version"}, "exit 0");
    row({"--help"}, "exit 0");
    // Usage errors, as quintavo-cli's words split at spaces.
    for (const char *wrong : {"",
                              "dance\x1b[2J",
                              "list foyer",
                              "playlist",
                              "playlist 10.0.0.1:0",
                              "playlist 10.0.0.1:65536",
                              "playlist 10.0.0.1:",
                              "playlist [::1]:0",
                              "playlist [foyer]:9700",
                              "play foyer",
                              "play foyer 65536",
                              "play foyer two",
                              "playlist foyer --playing",
                              "play 1",
                              "play --all",
                              "play @ 1",
                              "playlist @foyer",
                              "list --all",
                              "playlist foyer --video x",
                              "groups save foyer",
                              "groups rename foyer",
                              "groups delete",
                              "groups delete a b",
                              "groups forget foyer",
                              "groups save a b --json",
                              "play foyer 1 --known",
                              "list --wait soon",
                              "list --timeout 86401",
                              "list --no-such-option"})
        row(QString(wrong).split(' ', Qt::SkipEmptyParts), "exit 2");
}

void tst_CommandLine::cliArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, request);
    QCOMPARE(readCli(args, {QHostAddress("10.0.0.3")}), request);
}

void tst_CommandLine::applicationOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitStatus"); // -1: the application starts

    // Qt's own, each before a --scan that must still be read as one.
    for (const char *qt :
         {"-platform offscreen", "-platformpluginpath /p", "-platformtheme t", "-plugin p",
          "-qmljsdebugger=port:9999", "-qwindowgeometry 10x10", "-qwindowicon i", "-qwindowtitle t",
          "-session s", "-display :1", "-geometry 10x10", "-reverse", "-nograb", "-dograb"})
        QTest::newRow(qt) << QString(qt).split(' ') + QStringList {"--scan", "10.0.0.1"} << -1;
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

// Entries are read trimmed, blank ones passed over, one that --scan gives too
// read once; each left out is named on a line of its own.
void tst_CommandLine::settingsFile()
{
    store({"lobby", "10.0.0.2", " ", "300.1.2.3", " 10.0.0.1 ", "10.0.0.3:7775", "fe80::1"});
    const QStringList leftOut {"lobby", "300.1.2.3", "10.0.0.3:7775", "fe80::1"};
    const ApplicationOptions options = readOptions({"--scan", "10.0.0.1"});
    QCOMPARE(texts(options.scanTargets), (QStringList {"10.0.0.1", "10.0.0.2"}));
    const QStringList lines = options.error.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), leftOut.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        QVERIFY2(line.startsWith(QLatin1String("quintavo: ")), qPrintable(line));
        QVERIFY2(line.contains('"' + leftOut.at(i) + '"'), qPrintable(line));
        QVERIFY2(line.contains(ExtraTargets::settingsFile()), qPrintable(line));
    }
}

QTEST_GUILESS_MAIN(tst_CommandLine)

#include "tst_commandline.moc"
