#include "applicationinfo.h"
#include "applicationoptions.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playlistmodel.h"
#include "qtquick2applicationviewer.h"
#include "scenepolicy.h"
#include "singleinstance.h"
#include "uilanguage.h"

#include <QGuiApplication>
#include <QLocale>
#include <QQmlContext>
#include <QTranslator>
#include <QUrl>
#include <QVariant>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before the application object: --help and --version need no display.
    const ApplicationOptions options = ApplicationOptions::read(argc, argv);
    std::fputs(options.output.toLocal8Bit().constData(), stdout);
    std::fputs(options.error.toLocal8Bit().constData(), stderr);
    if (options.exitStatus)
        return *options.exitStatus;

    QGuiApplication app(argc, argv);
    // The window's texts in the user's language (LANGUAGE, LC_MESSAGES, ...),
    // installed before the scene reads them.
    QTranslator translator;
    if (UiLanguage::load(translator, QLocale::system().uiLanguages()))
        QCoreApplication::installTranslator(&translator);
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    QGuiApplication::setApplicationDisplayName(identity.applicationName() + QStringLiteral(" v")
                                               + identity.versionText());

    // Before the hub, which takes the ports and scans at once: a second launch
    // only brings the running instance's window forward.
    const QString display = qEnvironmentVariable(
        QGuiApplication::platformName() == QLatin1String("wayland") ? "WAYLAND_DISPLAY"
                                                                    : "DISPLAY");
    SingleInstance instance(SingleInstance::sessionName(QGuiApplication::platformName(), display));
    if (const auto exitStatus = instance.claim())
        return *exitStatus;

    // The hub starts listening, scanning and the update check here; their answers
    // are handled only once exec() runs, after the scene has connected to it.
    HubSettings settings;
    settings.extraTargets = options.scanTargets;
    // How often the rows in view ask their players what they play (a minute);
    // tests shorten it.
    if (const int refresh = qEnvironmentVariableIntValue("QUINTAVO_PLAYING_REFRESH_MS");
        refresh > 0)
        settings.playingPace.refreshInterval = refresh;
    NetworkMessenger hub(settings);
    const QString version = identity.versionText();

    QtQuick2ApplicationViewer viewer;
    ScenePolicy::apply(viewer.engine());
    viewer.rootContext()->setContextProperty(QStringLiteral("networkMessenger"), &hub);
    viewer.rootContext()->setContextProperty(QStringLiteral("applicationVersion"),
                                             QVariant(version));
    // The lists the scene shows, owned by the hub.
    viewer.rootContext()->setContextProperty(QStringLiteral("playerDirectory"), hub.directory());
    viewer.rootContext()->setContextProperty(QStringLiteral("playlist"), hub.playlist());
    // Another program holding the hub port keeps every player away: the scene
    // says so where it would list them.
    viewer.setInitialProperties(
        {{QStringLiteral("takenHubPort"), hub.isListening() ? 0 : int(hub.hubPort())}});
    viewer.setSource(QUrl(QStringLiteral("qrc:/qml/Quintavo/main.qml"), QUrl::TolerantMode));
    QObject::connect(&instance, &SingleInstance::activationRequested, &viewer,
                     &QtQuick2ApplicationViewer::bringForward);
    viewer.show();

    return app.exec();
}
