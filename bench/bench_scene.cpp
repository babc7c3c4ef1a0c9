// Start-up and scene: process start to the first frame of the main screen
// (built as the application builds it), against a bare Qt Quick window that
// shows the same background picture, from the same build; a 5,000-video answer, relayed by the hub
// on the player screen, to the first frame that shows it, against a 1-video answer; a day in a
// venue (30 players registering again after each of 8,640 scans, the answer then against the same
// answer after one scan, and the memory the day took); and the GUI thread's busy time for one scan
// of many players with the player list shown, against the hub's own share, also when a tenth of
// them miss the broadcast; start-up with 1,000 players remembered, and the GUI thread's share of
// reading and writing their file. Each measurement runs in a fresh process: this program runs
// itself with
// --startup main|remembered|bare, --videos, --venue, --scan, --requests and --file.
#include "applicationinfo.h"
#include "benchsupport.h"
#include "grouplist.h"
#include "identity.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerfile.h"
#include "playerfilter.h"
#include "playerprotocol.h"
#include "playerstore.h"
#include "playlistmodel.h"
#include "preloadedpicture.h"
#include "qtquick2applicationviewer.h"
#include "roworder.h"
#include "selectionplay.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QQmlContext>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QUrl mainScene(QStringLiteral("qrc:/qml/Quintavo/main.qml"));
// The file of remembered players that --startup remembered reads.
const char playersFileVariable[] = "QUINTAVO_BENCH_PLAYERS_FILE";
constexpr int remembered = 1000;

// Players of a venue remembered from earlier runs: seen over the last weeks,
// each with what it last played.
QVector<RememberedPlayer> rememberedPlayers(int count)
{
    QVector<RememberedPlayer> players;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        const QDateTime seen = now.addSecs(-qint64(i) * 1700);
        players.append({QStringLiteral("stage-%1").arg(i),
                        QStringLiteral("10.20.%1.%2").arg(i / 250).arg(i % 250 + 1),
                        quint16(7000 + i % 100), seen.addDays(-40), seen, i % 4,
                        QStringLiteral("Harbour walk, part %1").arg(i)});
    }
    return players;
}

void publish(QQuickView &viewer, NetworkMessenger &hub)
{
    viewer.rootContext()->setContextProperty(QStringLiteral("networkMessenger"), &hub);
    viewer.rootContext()->setContextProperty(QStringLiteral("applicationVersion"),
                                             QVariant(ApplicationInfo::quintavo().versionText()));
    viewer.rootContext()->setContextProperty(QStringLiteral("playerDirectory"), hub.directory());
    viewer.rootContext()->setContextProperty(QStringLiteral("playerFilter"), hub.filter());
    viewer.rootContext()->setContextProperty(QStringLiteral("selectionPlay"), hub.selectionPlay());
    viewer.rootContext()->setContextProperty(QStringLiteral("playerGroups"), hub.groups());
    viewer.rootContext()->setContextProperty(QStringLiteral("playlist"), hub.playlist());
    static RowOrder rowOrder;
    viewer.rootContext()->setContextProperty(QStringLiteral("rowOrder"), &rowOrder);
}

// Prints the process's age at its first frame and ends it.
void reportFirstFrame(QQuickView &viewer)
{
    QObject::connect(&viewer, &QQuickWindow::frameSwapped, &viewer, [] {
        std::printf("%.1f\n", Bench::processAgeMs());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

int startUp(QGuiApplication &app, const QByteArray &scene)
{
    if (scene == "bare") {
        QQuickView viewer;
        viewer.setSource(QUrl(QStringLiteral("qrc:/bench/background.qml")));
        reportFirstFrame(viewer);
        viewer.show();
        return app.exec();
    }
    // As the application's main() does it.
    auto background = std::make_unique<PreloadedPicture>(QStringLiteral(":/background.png"));
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    QGuiApplication::setApplicationDisplayName(identity.applicationName() + QStringLiteral(" v")
                                               + identity.versionText());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Identity::desktopEntry));
    HubSettings settings;
    settings.checkForUpdate = false;
    settings.playersFile = qEnvironmentVariable(playersFileVariable);
    settings.holdRemembered = true;
    NetworkMessenger hub(settings);
    QtQuick2ApplicationViewer viewer;
    PreloadedPicture::install(std::move(background), viewer.engine());
    publish(viewer, hub);
    viewer.setSource(mainScene);
    viewer.restorePlace();
    viewer.afterFirstFrame([&hub] {
        hub.listRemembered();
        hub.checkForUpdate();
    });
    if (scene == "remembered") {
        // The first frame, then the first that shows the remembered players.
        double first = -1;
        QObject::connect(&viewer, &QQuickWindow::frameSwapped, &viewer, [&first, &hub] {
            if (first < 0)
                first = Bench::processAgeMs();
            if (hub.directory()->count() == remembered) {
                std::printf("%.1f %.1f\n", first, Bench::processAgeMs());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            }
        });
    } else {
        reportFirstFrame(viewer);
    }
    viewer.show();
    return app.exec();
}

QJsonObject answer(int videos)
{
    return QJsonDocument::fromJson(Bench::playlistReply(videos).chopped(1)).object();
}

// Players in threads of their own, so that the GUI thread's busy time is the
// hub's and the scene's alone; a thread serves at most 250, so that each
// answers its greeting in time when all register at once. Each hears the
// hub's datagrams on a shared port and registers at once.
class PlayerCrowd
{
public:
    static constexpr int playersPerThread = 250;

    // answer: what every player sends back on each command (nothing: it keeps
    // silent); commands and the bytes sent are counted. The last `missing`
    // players hear no broadcast: each listens at a loopback address of its
    // own, where only the datagram sent to it arrives. The datagrams heard
    // are counted.
    PlayerCrowd(int count, quint16 discoveryPort, const QByteArray &answer = QByteArray(),
                int missing = 0)
    {
        for (int first = 0; first < count; first += playersPerThread) {
            auto &part = m_parts.emplace_back(std::make_unique<Part>());
            part->host.moveToThread(&part->thread);
            part->thread.start();
            const int last = std::min(count, first + playersPerThread);
            QMetaObject::invokeMethod(
                &part->host,
                [this, part = part.get(), host = &part->host, first, last, discoveryPort, answer,
                 count, missing] {
                    for (int i = first; i < last; ++i) {
                        auto *player = new ScriptedPlayer(host);
                        // Commands go to the port the record names: the player's own,
                        // when it answers them.
                        const quint16 port
                            = answer.isEmpty() ? quint16(9000 + i) : player->commandPort();
                        const bool misses = i >= count - missing;
                        const QHostAddress address = misses
                            ? QHostAddress(
                                QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(i % 250 + 1))
                            : QHostAddress(QHostAddress::AnyIPv4);
                        player->hearScans(
                            discoveryPort,
                            PlayerProtocol::encodeRegistrationRecord(
                                {port, misses ? address.toString() : QStringLiteral("127.0.0.1"),
                                 QStringLiteral("player-%1").arg(i)}),
                            true, address);
                        QObject::connect(player, &ScriptedPlayer::invited, player, [this, misses] {
                            ++(misses ? heardDirect : heardBroadcast);
                        });
                        if (misses)
                            part->missing.append(player);
                        if (answer.isEmpty())
                            continue;
                        QObject::connect(player, &ScriptedPlayer::commandReceived, player,
                                         [this, player, answer](int link) {
                                             ++commands;
                                             bytesSent += answer.size();
                                             player->reply(link, answer);
                                         });
                    }
                },
                Qt::BlockingQueuedConnection);
        }
    }
    ~PlayerCrowd()
    {
        for (auto &part : m_parts) {
            QMetaObject::invokeMethod(
                &part->host, [host = &part->host] { qDeleteAll(host->children()); },
                Qt::BlockingQueuedConnection);
            part->thread.quit();
            part->thread.wait();
        }
    }

    // The players that hear no broadcast register once, as if they had heard
    // one earlier, so that the hub lists them.
    void introduce(quint16 hubPort)
    {
        for (auto &part : m_parts)
            QMetaObject::invokeMethod(&part->host, [part = part.get(), hubPort] {
                for (ScriptedPlayer *player : qAsConst(part->missing))
                    player->answer(QHostAddress(QHostAddress::LocalHost), hubPort);
            });
    }

    std::atomic<int> commands {0};
    std::atomic<qint64> bytesSent {0};
    // Datagrams heard by the players that hear broadcasts, and by those that
    // hear only what is sent to their own address.
    std::atomic<int> heardBroadcast {0};
    std::atomic<int> heardDirect {0};

private:
    struct Part
    {
        QThread thread;
        QObject host;
        QList<ScriptedPlayer *> missing;
    };
    std::vector<std::unique_ptr<Part>> m_parts;
};

// Lets the registrations that answer a hub's first scan, which it sends on
// its own as it starts, come in before a benchmark counts its own scans':
// until none has come for a while.
void settleRegistrations(const int &announced)
{
    for (int seen = -1; seen != announced;) {
        seen = announced;
        Support::waitFor([] { return false; }, 300);
    }
}

// A hub whose datagrams reach every player of a crowd on loopback.
HubSettings crowdHub(quint16 discoveryPort, bool askWhatPlayersPlay = false)
{
    HubSettings settings = Support::loopbackHub(discoveryPort);
    settings.scanTargets = QList<QHostAddress> {QHostAddress(QStringLiteral("127.255.255.255"))};
    settings.askWhatPlayersPlay = askWhatPlayersPlay;
    return settings;
}

// Ms from the hub relaying the answer to the first frame after the video list
// holds all of it; -1 when that does not happen.
double answerToFrame(QQuickView &viewer, NetworkMessenger &hub, QObject *videoList,
                     const QJsonObject &json)
{
    const int videos = json.value(QStringLiteral("quintavo")).toArray().size();
    bool shown = false;
    qint64 elapsed = -1;
    QElapsedTimer clock;
    const auto frame = QObject::connect(&viewer, &QQuickWindow::frameSwapped, [&] {
        if (shown && elapsed < 0)
            elapsed = clock.nsecsElapsed();
    });
    // The list may take the answer in at once or while the next frame is prepared.
    const auto prepared = QObject::connect(
        &viewer, &QQuickWindow::beforeSynchronizing, &viewer,
        [&] { shown = shown || videoList->property("count").toInt() == videos; },
        Qt::DirectConnection);
    clock.start();
    hub.jsonUpdated(json);
    shown = videoList->property("count").toInt() == videos;
    Support::waitFor([&] { return elapsed >= 0; }, 5000);
    QObject::disconnect(frame);
    QObject::disconnect(prepared);
    return elapsed < 0 ? -1 : elapsed / 1e6;
}

int videos(int repetitions)
{
    QUdpSocket discovery;
    discovery.bind(QHostAddress::LocalHost, 0);
    NetworkMessenger hub(Support::loopbackHub(discovery.localPort()));
    QtQuick2ApplicationViewer viewer;
    publish(viewer, hub);
    viewer.setSource(mainScene);
    viewer.show();

    ScriptedPlayer player;
    player.registerWith(hub.hubPort(), player.record(QStringLiteral("lobby")));
    QObject *root = viewer.rootObject();
    QObject *deviceList = root->findChild<QObject *>(QStringLiteral("deviceList"));
    QObject *videoList = root->findChild<QObject *>(QStringLiteral("videoList"));
    if (!Support::waitFor([&] { return deviceList->property("count").toInt() == 1; }, 5000))
        return 1;
    root->setProperty("state", QStringLiteral("info"));
    Support::waitFor([] { return false; }, 300); // the screen's fade-in

    const QJsonObject small = answer(1), large = answer(5000);
    QVector<double> reference, figure;
    for (int i = 0; i < repetitions; ++i) {
        reference.append(answerToFrame(viewer, hub, videoList, small));
        figure.append(answerToFrame(viewer, hub, videoList, large));
    }
    if (reference.contains(-1) || figure.contains(-1))
        return 1;
    std::printf("%.3f %.3f\n", Bench::median(figure), Bench::median(reference));
    return 0;
}

// The scene with a hub on loopback and a crowd of players answering its scans.
struct Venue
{
    // answer: what the players send back to commands; with one, the list asks
    // them what they play.
    explicit Venue(int players, const QByteArray &answer = QByteArray(), int missing = 0)
        : ear(sharedPort()),
          hub(crowdHub(ear->localPort(), !answer.isEmpty())),
          crowd(players, ear->localPort(), answer, missing)
    {
        QObject::connect(&hub, &NetworkMessenger::clientsUpdated, [this] { ++announced; });
        publish(viewer, hub);
        viewer.setSource(mainScene);
        viewer.show();
        root = viewer.rootObject();
        deviceList = root->findChild<QObject *>(QStringLiteral("deviceList"));
        videoList = root->findChild<QObject *>(QStringLiteral("videoList"));
        // The benchmark scans; the scene's own scan every 10 s would send the
        // players a second datagram in the middle of one.
        root->findChild<QObject *>(QStringLiteral("timer"))->setProperty("interval", 86400000);
        settleRegistrations(announced);
        if (missing > 0) {
            crowd.introduce(hub.hubPort());
            settleRegistrations(announced);
        }
    }

    // Reserves a shared discovery port for the crowd.
    static std::unique_ptr<QUdpSocket> sharedPort()
    {
        auto socket = std::make_unique<QUdpSocket>();
        socket->bind(QHostAddress::AnyIPv4, 0,
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        return socket;
    }

    // Scans and waits until every player has registered and the list
    // holds them; false on time-out.
    bool scan(int players)
    {
        announced = 0;
        hub.scanForClients();
        // A player that registers late is sent the datagram at its address,
        // and may then register twice: at least one update per player, then
        // the list itself.
        if (!Support::waitFor([&] { return announced >= players && listed() == players; }, 10000)) {
            std::fprintf(stderr, "scan: %d updates, %d of %d players listed\n", announced, listed(),
                         players);
            return false;
        }
        return true;
    }

    // The players the list holds.
    int listed() const { return deviceList->property("count").toInt(); }

    // The players whose rows say what they play.
    int sayingWhatPlays() const
    {
        const PlayerDirectory *directory = hub.directory();
        int saying = 0;
        for (int row = 0; row < directory->rowCount(); ++row)
            saying += directory->index(row).data(PlayerDirectory::PlayingIndexRole).toInt() >= 0;
        return saying;
    }

    // Median ms of answers of `videos` videos to the frame that shows them,
    // on the player screen.
    double answerTime(int videos, int repetitions)
    {
        root->setProperty("state", QStringLiteral("info"));
        Support::waitFor([] { return false; }, 300); // the screen's fade-in
        const QJsonObject json = answer(videos), none = answer(0);
        QVector<double> times;
        for (int i = 0; i < repetitions; ++i) {
            // The same answer twice in a row would change nothing on screen.
            answerToFrame(viewer, hub, videoList, none);
            times.append(answerToFrame(viewer, hub, videoList, json));
        }
        root->setProperty("state", QString());
        Support::waitFor([] { return false; }, 300);
        return times.contains(-1) ? -1 : Bench::median(times);
    }

    std::unique_ptr<QUdpSocket> ear;
    NetworkMessenger hub;
    QtQuick2ApplicationViewer viewer;
    PlayerCrowd crowd;
    int announced = 0;
    QObject *root = nullptr;
    QObject *deviceList = nullptr;
    QObject *videoList = nullptr;
};

// A day of scans with 30 players: a 1,000-video answer after it and after one
// scan, and the memory the day took after a warm-up.
int venue(int scans)
{
    constexpr int players = 30;
    Venue venue(players);
    if (!venue.scan(players))
        return 1;
    const int repetitions = Bench::smoke() ? 1 : 5;
    // Each scan's steps come 2 s and 4 s after it: scans one after another
    // leave hundreds of them pending, where a day at one scan per 10 s leaves
    // two. They end before the answer is timed, after one scan as after the day.
    const auto stepsDone = [] {
        Support::waitFor([] { return false; }, PlayerDirectory::answerDeadline + 200);
    };
    stepsDone();
    const double fresh = venue.answerTime(1000, repetitions);
    const int warmUp = scans / 20;
    qint64 baseline = 0;
    for (int i = 0; i < scans; ++i) {
        if (i == warmUp)
            baseline = Support::procField("status", "VmRSS");
        if (!venue.scan(players))
            return 1;
    }
    const qint64 growth = Support::procField("status", "VmRSS") - baseline;
    stepsDone();
    const double afterDay = venue.answerTime(1000, repetitions);
    if (fresh < 0 || afterDay < 0)
        return 1;
    std::printf("%.3f %.3f %lld\n", afterDay, fresh, growth);
    return 0;
}

// The GUI thread's busy time, in ms, for one scan: its processor time from
// the scan until everything the players' registrations set off has settled
// (the list re-read, rows updated, frames drawn). The players run in a thread
// of their own, so their work does not count. Median of several scans, each
// with the previous scan's players on the list.
int scanBusyTime(int players, bool withScene, bool playing, int repetitions, int missing = 0)
{
    std::unique_ptr<Venue> venue;
    std::unique_ptr<QUdpSocket> ear;
    std::unique_ptr<NetworkMessenger> bareHub;
    std::unique_ptr<PlayerCrowd> crowd;
    NetworkMessenger *hub = nullptr;
    int announced = 0;
    if (withScene) {
        venue = std::make_unique<Venue>(players, playing ? Bench::playlistReply(3) : QByteArray(),
                                        missing);
        hub = &venue->hub;
    } else {
        ear = Venue::sharedPort();
        bareHub = std::make_unique<NetworkMessenger>(crowdHub(ear->localPort()));
        crowd = std::make_unique<PlayerCrowd>(players, ear->localPort());
        int first = 0;
        const auto counting = QObject::connect(bareHub.get(), &NetworkMessenger::clientsUpdated,
                                               [&first] { ++first; });
        settleRegistrations(first);
        QObject::disconnect(counting);
        hub = bareHub.get();
    }
    QObject::connect(hub, &NetworkMessenger::clientsUpdated, [&] { ++announced; });
    const auto settle = [] {
        Support::waitFor([] { return false; }, 200);
    };

    QVector<double> times, datagrams;
    for (int i = -1; i < repetitions; ++i) { // the first scan fills the list
        announced = 0;
        if (venue) {
            venue->crowd.heardBroadcast = 0;
            venue->crowd.heardDirect = 0;
        }
        const qint64 start = Bench::threadCpuNs();
        hub->scanForClients();
        if (!Support::waitFor([&] { return announced >= players; }, 30000)) {
            std::fprintf(stderr, "bench_scene: %d of %d players registered\n", announced, players);
            return 1;
        }
        settle();
        if (i >= 0)
            times.append((Bench::threadCpuNs() - start) / 1e6);
        // Sent: each broadcast heard by every player that hears broadcasts,
        // and the datagrams to players' own addresses.
        if (venue && i >= 0)
            datagrams.append(double(venue->crowd.heardBroadcast) / (players - missing)
                             + venue->crowd.heardDirect);
        if (withScene && venue->listed() != players)
            return 1;
        // Before the scans that count, every row says what its player plays.
        if (i < 0 && playing
            && !Support::waitFor([&] { return venue->sayingWhatPlays() == players; }, 30000))
            return 1;
    }
    std::printf("%.3f %.1f\n", Bench::median(times), Bench::median(datagrams));
    return 0;
}

// The GUI thread's share of the file of remembered players, in ms: taking in
// the players read (the directory's rows, in order, and the datagrams to their
// addresses handed to discovery) and the copy of them handed over to be
// written; the file itself is read, parsed, encoded and written on a thread
// of its own. The list on screen makes items only for the rows in view, as
// for any players. Reference: reading and writing the same file wholly on the
// GUI thread. Medians; prints the figure and the reference.
int fileCost(int repetitions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("players.json"));
    const QVector<RememberedPlayer> players = rememberedPlayers(remembered);
    QVector<double> figures, references;
    for (int i = 0; i < repetitions; ++i) {
        QUdpSocket discovery;
        discovery.bind(QHostAddress::LocalHost, 0);
        NetworkMessenger hub(Support::loopbackHub(discovery.localPort()));
        PlayerDirectory *directory = hub.directory();

        qint64 start = Bench::threadCpuNs();
        directory->remember(players);
        directory->unanswered(directory->latestScan());
        const QVector<RememberedPlayer> kept = directory->remembered();
        figures.append((Bench::threadCpuNs() - start) / 1e6);
        if (kept.size() != remembered || directory->count() != remembered)
            return 1;

        PlayerStore store(path);
        store.save(players); // refused: nothing was read yet
        start = Bench::threadCpuNs();
        store.load();
        store.save(kept);
        QString why;
        const auto read = PlayerStore::read(path, &why);
        references.append((Bench::threadCpuNs() - start) / 1e6);
        if (!read || read->size() != remembered)
            return 1;
    }
    std::printf("%.3f %.3f\n", Bench::median(figures), Bench::median(references));
    return 0;
}

// What the list asks of its players while it is shown: 200 players with
// 5,000-video playlists, each asked once when it first appears; then, over a
// minute of scans every 10 s, the commands sent and the bytes the players
// sent back, against what the rows in view need (one playlist each).
// Prints: commands, rows in view, first appearances, KiB received, KiB the
// rows in view need.
int playingRequests(int players, int seconds)
{
    const QByteArray answer = Bench::playlistReply(5000);
    Venue venue(players, answer);
    if (!venue.scan(players))
        return 1;
    if (!Support::waitFor([&] { return venue.sayingWhatPlays() == players; }, 120000)) {
        std::fprintf(stderr, "%d of %d rows say what they play\n", venue.sayingWhatPlays(),
                     players);
        return 1;
    }
    const int firstAppearances = venue.crowd.commands;
    venue.crowd.commands = 0;
    venue.crowd.bytesSent = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        if (!venue.scan(players))
            return 1;
        // A scan may end past the minute: no wait then.
        const qint64 left = seconds * 1000 - clock.elapsed();
        if (left > 0)
            Support::waitFor([] { return false; }, int(std::min<qint64>(10000, left)));
    }
    auto *list = qobject_cast<QQuickItem *>(venue.deviceList);
    int inView = 0;
    QMetaObject::invokeMethod(
        list, "indexAt", Q_RETURN_ARG(int, inView), Q_ARG(qreal, 0),
        Q_ARG(qreal, list->property("contentY").toReal() + list->height() - 1));
    const int shown = inView < 0 ? venue.listed() : inView + 1;
    std::printf("%d %d %d %.0f %.0f\n", int(venue.crowd.commands), shown, firstAppearances,
                venue.crowd.bytesSent / 1024.0, shown * answer.size() / 1024.0);
    return 0;
}

// Runs this program with the arguments; the numbers on its last line of output.
QList<double> child(const QStringList &arguments, const QString &playersFile = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = Bench::launchEnvironment();
    environment.insert(QString::fromLatin1(playersFileVariable), playersFile);
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    // A day in a venue takes minutes on a loaded machine.
    if (!process.waitForFinished(30 * 60 * 1000) || process.exitCode() != 0)
        qFatal("bench_scene %s failed", qPrintable(arguments.join(' ')));
    QList<double> numbers;
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    for (const QByteArray &field : lines.last().split(' '))
        numbers.append(field.toDouble());
    return numbers;
}

int drive(int repetitions)
{
    // Software rendering without a display, unless a display is chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_QUICK_BACKEND", "software");
    }
    const QString startUpName
        = QStringLiteral("start-up: process start to first frame of the main screen");
    const QString rememberedName = QStringLiteral(
        "start-up with 1,000 players remembered: process start to first frame (vs bare view)");
    const QString listedName = QStringLiteral(
        "start-up with 1,000 players remembered: process start to the frame that lists them");
    if (Bench::insideNetns()) {
        // A fresh file each time: the application rewrites it as it ends.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("players.json"));
        const QByteArray bytes = PlayerFile::encode(rememberedPlayers(remembered));
        QVector<double> scene, bare, withPlayers, listed;
        for (int i = 0; i < repetitions; ++i) {
            scene.append(child({QStringLiteral("--startup"), QStringLiteral("main")}).value(0));
            bare.append(child({QStringLiteral("--startup"), QStringLiteral("bare")}).value(0));
            QFile out(file);
            if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                qFatal("bench_scene: cannot write %s", qPrintable(file));
            out.close();
            const QList<double> ages
                = child({QStringLiteral("--startup"), QStringLiteral("remembered")}, file);
            withPlayers.append(ages.value(0));
            listed.append(ages.value(1));
        }
        Bench::printRow(startUpName, Bench::median(scene), Bench::median(bare),
                        QStringLiteral("ms"), Bench::Goal::RatioAtMost, 1.15);
        Bench::printRow(rememberedName, Bench::median(withPlayers), Bench::median(bare),
                        QStringLiteral("ms"), Bench::Goal::RatioAtMost, 1.15);
        Bench::printRow(listedName, Bench::median(listed), Bench::median(bare),
                        QStringLiteral("ms"));
    } else {
        // The application's hub scans the network it finds.
        for (const QString &name : {startUpName, rememberedName, listedName})
            Bench::printSkipped(name, QStringLiteral("runs only under scripts/netns-run"));
    }

    const QStringList smoke
        = Bench::smoke() ? QStringList {QStringLiteral("--smoke")} : QStringList();

    const QList<double> file = child(QStringList {QStringLiteral("--file")} + smoke);
    Bench::printRow(QStringLiteral("file of 1,000 players read and written: GUI thread's time (vs "
                                   "all of it on the GUI thread)"),
                    file.value(0), file.value(1), QStringLiteral("ms"), Bench::Goal::FigureBelow,
                    5);
    const QList<double> shown = child(QStringList {QStringLiteral("--videos")} + smoke);
    Bench::printRow(QStringLiteral("scene: 5,000-video answer to the frame that shows it"),
                    shown.value(0), shown.value(1), QStringLiteral("ms"), Bench::Goal::FigureBelow,
                    100);

    const QList<double> day = child(QStringList {QStringLiteral("--venue")} + smoke);
    const QString scans = Bench::smoke() ? QStringLiteral("5") : QStringLiteral("8,640");
    Bench::printRow(
        QStringLiteral(
            "a day in a venue: 1,000-video answer after %1 scans of 30 players (vs after one)")
            .arg(scans),
        day.value(0), day.value(1), QStringLiteral("ms"), Bench::Goal::RatioAtMost, 1.2);
    Bench::printRow(
        QStringLiteral("a day in a venue: RSS growth over %1 scans of 30 players").arg(scans),
        day.value(2), 0, QStringLiteral("KiB"), Bench::Goal::FigureBelow, 4096);

    for (const int players : Bench::smoke() ? QList<int> {30} : QList<int> {30, 100, 200, 1000}) {
        const QString count = QString::number(players);
        const double scene = child(QStringList {QStringLiteral("--scan"), count} + smoke).value(0);
        const double bare
            = child(QStringList {QStringLiteral("--scan"), count, QStringLiteral("--bare")} + smoke)
                  .value(0);
        Bench::printRow(
            QStringLiteral("scan of %1 players, list shown: GUI busy time (vs hub alone)")
                .arg(players),
            scene, bare, QStringLiteral("ms"),
            players >= 200 ? Bench::Goal::FigureBelow : Bench::Goal::None, 50);
    }
    // A tenth of the players miss the broadcast: they are sent the datagram
    // at their own address 2 s later.
    const int crowd = Bench::smoke() ? 30 : 1000;
    const QList<double> lossy
        = child(QStringList {QStringLiteral("--scan"), QString::number(crowd),
                             QStringLiteral("--missing"), QString::number(crowd / 10)}
                + smoke);
    const double whole
        = child(QStringList {QStringLiteral("--scan"), QString::number(crowd)} + smoke).value(0);
    Bench::printRow(
        QStringLiteral("scan of %1 players, %2 missing the broadcast, list shown: GUI busy time "
                       "(vs none missing)")
            .arg(crowd)
            .arg(crowd / 10),
        lossy.value(0), whole, QStringLiteral("ms"), Bench::Goal::FigureBelow, 50);
    Bench::printRow(QStringLiteral("scan of %1 players, %2 missing the broadcast: datagrams sent "
                                   "(vs 1 + %2)")
                        .arg(crowd)
                        .arg(crowd / 10),
                    lossy.value(1), 1 + crowd / 10, QStringLiteral("datagrams"),
                    Bench::Goal::RatioAtMost, 1);

    const double playing = child(QStringList {QStringLiteral("--scan"), QStringLiteral("200"),
                                              QStringLiteral("--playing")}
                                 + smoke)
                               .value(0);
    const double bare = child(QStringList {QStringLiteral("--scan"), QStringLiteral("200"),
                                           QStringLiteral("--bare")}
                              + smoke)
                            .value(0);
    Bench::printRow(QStringLiteral("scan of 200 players whose rows show what they play: GUI busy "
                                   "time (vs hub alone)"),
                    playing, bare, QStringLiteral("ms"), Bench::Goal::FigureBelow, 50);

    // Commands and bytes per minute while the list is shown.
    const QList<double> asked = child(QStringList {QStringLiteral("--requests")} + smoke);
    const QString players = Bench::smoke() ? QStringLiteral("30") : QStringLiteral("200");
    Bench::printRow(QStringLiteral("list shown, %1 players: commands in the 65 s after their first "
                                   "appearance (vs rows in view)")
                        .arg(players),
                    asked.value(0), asked.value(1), QStringLiteral("commands"),
                    Bench::Goal::RatioAtMost, 1);
    Bench::printRow(QStringLiteral("list shown, %1 players: first appearances asked once each (vs "
                                   "players)")
                        .arg(players),
                    asked.value(2), players.toInt(), QStringLiteral("commands"),
                    Bench::Goal::RatioAtMost, 1);
    Bench::printRow(
        QStringLiteral("list shown, %1 players with 5,000-video playlists: KiB received "
                       "in those 65 s (vs one playlist per row in view)")
            .arg(players),
        asked.value(3), asked.value(4), QStringLiteral("KiB"), Bench::Goal::RatioAtMost, 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    // As the application starts.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    if (mode == "--startup") {
        QGuiApplication app(argc, argv);
        return startUp(app, argc > 2 ? QByteArray(argv[2]) : QByteArray());
    }
    if (mode == "--videos") {
        QGuiApplication app(argc, argv);
        return videos(Bench::smoke() ? 1 : 9);
    }
    if (mode == "--venue") {
        QGuiApplication app(argc, argv);
        return venue(Bench::smoke() ? 5 : 8640);
    }
    if (mode == "--scan" && argc > 2) {
        QGuiApplication app(argc, argv);
        const QStringList arguments = app.arguments();
        const int missing = arguments.indexOf(QStringLiteral("--missing"));
        return scanBusyTime(QByteArray(argv[2]).toInt(),
                            !arguments.contains(QStringLiteral("--bare")),
                            arguments.contains(QStringLiteral("--playing")), Bench::smoke() ? 1 : 9,
                            missing > 0 ? arguments.value(missing + 1).toInt() : 0);
    }
    if (mode == "--file") {
        QGuiApplication app(argc, argv);
        return fileCost(Bench::smoke() ? 1 : 9);
    }
    if (mode == "--requests") {
        QGuiApplication app(argc, argv);
        // A minute, the rows' refresh, and one look more: the first look
        // past the minute may come up to 5 s after it.
        return playingRequests(Bench::smoke() ? 30 : 200, Bench::smoke() ? 5 : 65);
    }
    QCoreApplication app(argc, argv);
    return drive(Bench::smoke() ? 1 : 15);
}
