// Start-up and scene: process start to the first frame of the main screen
// (built as the application builds it), against a bare Qt Quick window with an
// empty scene from the same build; and a 5,000-video answer, relayed by the
// hub on the player screen, to the first frame that shows it, against a
// 1-video answer. Each start-up is a fresh process: this program runs itself
// with --startup main|empty and --videos.
#include "applicationinfo.h"
#include "benchsupport.h"
#include "networkmessenger.h"
#include "playerprotocol.h"
#include "qtquick2applicationviewer.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QQmlContext>
#include <QQuickItem>
#include <QUdpSocket>

#include <cstdio>

namespace {

const QUrl mainScene(QStringLiteral("qrc:/qml/Quintavo/main.qml"));

void publish(QQuickView &viewer, NetworkMessenger &hub)
{
    viewer.rootContext()->setContextProperty(QStringLiteral("networkMessenger"), &hub);
    viewer.rootContext()->setContextProperty(QStringLiteral("applicationVersion"),
                                             QVariant(ApplicationInfo::quintavo().versionText()));
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
    if (scene == "empty") {
        QQuickView viewer;
        viewer.setSource(QUrl(QStringLiteral("qrc:/bench/empty.qml")));
        reportFirstFrame(viewer);
        viewer.show();
        return app.exec();
    }
    // As the application's main() does it.
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    QGuiApplication::setApplicationDisplayName(identity.applicationName() + QStringLiteral(" v")
                                               + identity.versionText());
    NetworkMessenger hub;
    QtQuick2ApplicationViewer viewer;
    publish(viewer, hub);
    viewer.setSource(mainScene);
    reportFirstFrame(viewer);
    viewer.show();
    return app.exec();
}

QJsonObject answer(int videos)
{
    return QJsonDocument::fromJson(Bench::playlistReply(videos).chopped(1)).object();
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
    Bench::waitFor([&] { return elapsed >= 0; }, 5000);
    QObject::disconnect(frame);
    QObject::disconnect(prepared);
    return elapsed < 0 ? -1 : elapsed / 1e6;
}

int videos(int repetitions)
{
    QUdpSocket discovery;
    discovery.bind(QHostAddress::LocalHost, 0);
    NetworkMessenger hub(Bench::loopbackHub(discovery.localPort()));
    QtQuick2ApplicationViewer viewer;
    publish(viewer, hub);
    viewer.setSource(mainScene);
    viewer.show();

    // A listed player: its row connects the video list to the hub's answers.
    ScriptedPlayer player(PlayerProtocol::encodeRegistrationRecord(
        {9000, QStringLiteral("127.0.0.1"), QStringLiteral("lobby")}));
    player.registerWith(QHostAddress::LocalHost, hub.hubPort());
    QObject *root = viewer.rootObject();
    QObject *deviceList = root->findChild<QObject *>(QStringLiteral("deviceList"));
    QObject *videoList = root->findChild<QObject *>(QStringLiteral("videoList"));
    if (!Bench::waitFor([&] { return deviceList->property("count").toInt() == 1; }, 5000))
        return 1;
    root->setProperty("state", QStringLiteral("info"));
    Bench::waitFor([] { return false; }, 300); // the screen's fade-in

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

// Runs this program with the arguments; the numbers on its last line of output.
QList<double> child(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
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
    if (Bench::insideNetns()) {
        QVector<double> scene, empty;
        for (int i = 0; i < repetitions; ++i) {
            scene.append(child({QStringLiteral("--startup"), QStringLiteral("main")}).value(0));
            empty.append(child({QStringLiteral("--startup"), QStringLiteral("empty")}).value(0));
        }
        Bench::printRow(startUpName, Bench::median(scene), Bench::median(empty),
                        QStringLiteral("ms"));
    } else {
        // The application's hub scans the network it finds.
        Bench::printSkipped(startUpName, QStringLiteral("runs only under scripts/netns-run"));
    }

    QStringList arguments {QStringLiteral("--videos")};
    if (Bench::smoke())
        arguments << QStringLiteral("--smoke");
    const QList<double> shown = child(arguments);
    Bench::printRow(QStringLiteral("scene: 5,000-video answer to the frame that shows it"),
                    shown.value(0), shown.value(1), QStringLiteral("ms"), Bench::Goal::FigureBelow,
                    100);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--startup") {
        QGuiApplication app(argc, argv);
        return startUp(app, argc > 2 ? QByteArray(argv[2]) : QByteArray());
    }
    if (mode == "--videos") {
        QGuiApplication app(argc, argv);
        return videos(Bench::smoke() ? 1 : 9);
    }
    QCoreApplication app(argc, argv);
    return drive(Bench::smoke() ? 1 : 7);
}
