#include "applicationinfo.h"
#include "applicationoptions.h"
#include "networkmessenger.h"
#include "qtquick2applicationviewer.h"

#include <QGuiApplication>
#include <QQmlContext>
#include <QUrl>
#include <QVariant>

int main(int argc, char *argv[])
{
    // Before the application object: --help and --version need no display.
    ApplicationOptions options;
    if (const auto exitStatus = options.read(argc, argv))
        return *exitStatus;

    QGuiApplication app(argc, argv);
    const ApplicationInfo identity = ApplicationInfo::quintavo();
    QGuiApplication::setApplicationDisplayName(identity.applicationName() + QStringLiteral(" v")
                                               + identity.versionText());

    // The hub starts listening, scanning and the update check here; their answers
    // are handled only once exec() runs, after the scene has connected to it.
    HubSettings settings;
    settings.extraTargets = options.scanTargets();
    NetworkMessenger hub(settings);
    const QString version = identity.versionText();

    QtQuick2ApplicationViewer viewer;
    viewer.rootContext()->setContextProperty(QStringLiteral("networkMessenger"), &hub);
    viewer.rootContext()->setContextProperty(QStringLiteral("applicationVersion"),
                                             QVariant(version));
    viewer.setSource(QUrl(QStringLiteral("qrc:/qml/Quintavo/main.qml"), QUrl::TolerantMode));
    viewer.show();

    return app.exec();
}
