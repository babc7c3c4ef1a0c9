// Runs the scene tests in qml/ against the scene compiled into the resource
// collection. Each test file gets its own engine, under the application's
// policy, with a stand-in hub published as the application publishes the real
// one, and a probe that records every URL the scene hands to the desktop and
// reads the pixels of a grabbed item. Any warning, a QML one among them, ends
// the tests as failed.
#include "fakehub.h"
#include "grouplist.h"
#include "playerdirectory.h"
#include "playerfilter.h"
#include "playlistmodel.h"
#include "roworder.h"
#include "scenepolicy.h"
#include "selectionplay.h"

#include <QColor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSettings>
#include <QStringList>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList openedUrls MEMBER m_openedUrls NOTIFY urlOpened)

public:
    // Before the application exists. Qt warns without a runtime directory.
    Setup()
    {
        qputenv("QT_FATAL_WARNINGS", "1");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        // The groups the tests save go to a settings file of their own.
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, m_runtime.path());
    }

public slots:
    // A long press is the shortest that tells it from a tap, not the usual 0.8 s.
    void applicationAvailable()
    {
        QGuiApplication::styleHints()->setMousePressAndHoldInterval(250);
    }
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        ScenePolicy::apply(engine); // as start-up does
        QQmlContext *context = engine->rootContext();
        auto *hub = new FakeHub(engine);
        context->setContextProperty(QStringLiteral("networkMessenger"), hub);
        context->setContextProperty(QStringLiteral("playerDirectory"), hub->directory());
        context->setContextProperty(QStringLiteral("playerFilter"), hub->filter());
        context->setContextProperty(QStringLiteral("selectionPlay"), hub->selectionPlay());
        context->setContextProperty(QStringLiteral("playerGroups"), hub->groups());
        context->setContextProperty(QStringLiteral("playlist"), hub->playlist());
        context->setContextProperty(QStringLiteral("rowOrder"), new RowOrder(engine));
        context->setContextProperty(QStringLiteral("applicationVersion"),
                                    QVariant(QStringLiteral(QUINTAVO_VERSION)));
        // The schemes the tests' links use: none of them may reach a real handler.
        for (const char *scheme : {"http", "https", "file", "qrc"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
        context->setContextProperty(QStringLiteral("probe"), this);
    }
    // The red, green and blue of a pixel of an item's grab (Item.grabToImage).
    QVariantList rgb(const QVariant &image, int x, int y) const
    {
        const QColor colour = image.value<QImage>().pixelColor(x, y);
        return {colour.red(), colour.green(), colour.blue()};
    }
    void openUrl(const QUrl &url)
    {
        m_openedUrls.append(url.toString());
        emit urlOpened();
    }

signals:
    void urlOpened();

private:
    QTemporaryDir m_runtime;
    QStringList m_openedUrls;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_scene, Setup)

#include "tst_scene.moc"
