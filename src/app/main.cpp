#include "applicationinfo.h"
#include "applicationoptions.h"
#include "consoleoutput.h"
#include "grouplist.h"
#include "identity.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerfilter.h"
#include "playerstore.h"
#include "playlistmodel.h"
#include "preloadedpicture.h"
#include "qtquick2applicationviewer.h"
#include "roworder.h"
#include "scenepolicy.h"
#include "selectionplay.h"
#include "singleinstance.h"
#include "uilanguage.h"

#include <QGuiApplication>
#include <QLocale>
#include <QQmlContext>
#include <QQuickItem>
#include <QTranslator>
#include <QUrl>
#include <QVariant>

#include <memory>

int main(int argc, char *argv[])
{
    // Before the application object: --help and --version need no display.
    const ApplicationOptions options = ApplicationOptions::read(argc, argv);
    ConsoleOutput::print(options.output, options.error, options.exitStatus.has_value());
    if (options.exitStatus)
        return *options.exitStatus;

    // On a screen set to 200 % the window doubles in device pixels with its
    // texts, rather than keeping its pixels while the texts double; 150 %
    // stays 150 %, not rounded to 200 %.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QGuiApplication app(argc, argv);
    // The background, the largest picture of the first frame, decodes on a
    // thread of its own while the rest starts.
    auto background = std::make_unique<PreloadedPicture>(QStringLiteral(":/background.png"));
    // The window's texts in the user's language (LANGUAGE, LC_MESSAGES, ...),
    // installed before the scene reads them.
    QTranslator translator;
    if (UiLanguage::load(translator, QLocale::system().uiLanguages()))
        QCoreApplication::installTranslator(&translator);
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    QGuiApplication::setApplicationDisplayName(identity.applicationName() + QStringLiteral(" v")
                                               + identity.versionText());
    // Wayland's app id, by which the desktop finds the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(Identity::desktopEntry));

    // Before the hub, which takes the ports and scans at once: a second launch
    // only brings the running instance's window forward.
    const QString display = qEnvironmentVariable(
        QGuiApplication::platformName() == QLatin1String("wayland") ? "WAYLAND_DISPLAY"
                                                                    : "DISPLAY");
    SingleInstance instance(SingleInstance::sessionName(QGuiApplication::platformName(), display));
    if (const auto exitStatus = instance.claim())
        return *exitStatus;

    // The hub starts listening and scanning here; the answers are handled only
    // once exec() runs, after the scene has connected to it. The update check
    // waits for the window's first frame (below).
    HubSettings settings;
    settings.extraTargets = options.scanTargets;
    // Tests shorten the waits of a running application: how often the rows in
    // view ask their players what they play (a minute), how long a player may
    // take to answer those requests and Play on the selected players (5 s),
    // how long changes wait before players.json is written (5 s), how long
    // after a scan a player that has not answered is sent the datagram at its
    // own address (2 s) and is marked not answering (4 s), and how often the
    // list scans (10 s, the scene's).
    const auto shortened = [](const char *name, int usual) {
        const int value = qEnvironmentVariableIntValue(name);
        return value > 0 ? value : usual;
    };
    settings.playingPace.refreshInterval
        = shortened("QUINTAVO_PLAYING_REFRESH_MS", settings.playingPace.refreshInterval);
    settings.playingPace.deadline
        = shortened("QUINTAVO_PLAYER_DEADLINE_MS", settings.playingPace.deadline);
    settings.saveDelay = shortened("QUINTAVO_SAVE_DELAY_MS", settings.saveDelay);
    settings.directAfter = shortened("QUINTAVO_DIRECT_AFTER_MS", settings.directAfter);
    settings.answerDeadline = shortened("QUINTAVO_ANSWER_DEADLINE_MS", settings.answerDeadline);
    const int scanInterval = shortened("QUINTAVO_SCAN_INTERVAL_MS", 0);
    settings.checkForUpdate = false;
    // The players seen before are listed at once and asked for directly.
    settings.playersFile = PlayerStore::defaultPath();
    settings.holdRemembered = true;
    NetworkMessenger hub(settings);
    const QString version = identity.versionText();

    // Keeps the list's rows in screen order for screen readers; outlives the scene.
    RowOrder rowOrder;
    QtQuick2ApplicationViewer viewer;
    ScenePolicy::apply(viewer.engine());
    PreloadedPicture::install(std::move(background), viewer.engine());
    viewer.rootContext()->setContextProperty(QStringLiteral("networkMessenger"), &hub);
    viewer.rootContext()->setContextProperty(QStringLiteral("applicationVersion"),
                                             QVariant(version));
    // The lists the scene shows and what it does with the selected players,
    // owned by the hub.
    viewer.rootContext()->setContextProperty(QStringLiteral("playerDirectory"), hub.directory());
    viewer.rootContext()->setContextProperty(QStringLiteral("playerFilter"), hub.filter());
    viewer.rootContext()->setContextProperty(QStringLiteral("selectionPlay"), hub.selectionPlay());
    viewer.rootContext()->setContextProperty(QStringLiteral("playerGroups"), hub.groups());
    viewer.rootContext()->setContextProperty(QStringLiteral("playlist"), hub.playlist());
    viewer.rootContext()->setContextProperty(QStringLiteral("rowOrder"), &rowOrder);
    // Another program holding the hub port keeps every player away: the scene
    // says so where it would list them.
    QVariantMap initial {
        {QStringLiteral("takenHubPort"), hub.isListening() ? 0 : int(hub.hubPort())}};
    if (scanInterval > 0)
        initial.insert(QStringLiteral("scanInterval"), scanInterval);
    viewer.setInitialProperties(initial);
    viewer.setSource(QUrl(QStringLiteral("qrc:/qml/Quintavo/main.qml"), QUrl::TolerantMode));
    // The hub tries the port again at each scan; once it has it, the notice goes.
    hub.whenListening([&viewer] {
        if (QObject *root = viewer.rootObject())
            root->setProperty("takenHubPort", 0);
    });
    viewer.restorePlace();
    viewer.afterFirstFrame([&hub] {
        hub.listRemembered();
        hub.checkForUpdate();
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, &viewer,
                     &QtQuick2ApplicationViewer::bringForward);
    viewer.show();

    return app.exec();
}
