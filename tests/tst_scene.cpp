// Runs the scene tests in qml/ against the scene compiled into the resource
// collection. Each test file gets its own engine with a stand-in hub published
// as the application publishes the real one, and a probe that records QML
// warnings and every URL the scene hands to the desktop.
#include "fakehub.h"

#include <QDesktopServices>
#include <QQmlContext>
#include <QQmlEngine>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QtQuickTest>

#include <utility>

class SceneProbe : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList openedUrls MEMBER m_openedUrls NOTIFY urlOpened)

public:
    // Schemes the tests' links use; none of them may reach a real handler.
    static inline const QStringList urlSchemes {QStringLiteral("http"),  QStringLiteral("https"),
                                                QStringLiteral("file"),  QStringLiteral("smb"),
                                                QStringLiteral("myapp"), QStringLiteral("qrc")};

    void catchUrls()
    {
        for (const QString &scheme : urlSchemes)
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
    ~SceneProbe() override
    {
        for (const QString &scheme : urlSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    // Qt Quick Test installs its own message handler once the first test case
    // starts; a test case calls this from initTestCase to chain in front of it.
    Q_INVOKABLE void watchWarnings()
    {
        const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
        if (previous != recordMessage)
            forward = previous;
    }

    // The warnings since the last call.
    Q_INVOKABLE QStringList takeWarnings() { return std::exchange(warnings, {}); }

public slots:
    void openUrl(const QUrl &url)
    {
        m_openedUrls.append(url.toString());
        emit urlOpened();
    }

signals:
    void urlOpened();

private:
    static void recordMessage(QtMsgType type, const QMessageLogContext &context,
                              const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            warnings.append(message);
        if (forward)
            forward(type, context, message);
    }

    static inline QStringList warnings;
    static inline QtMessageHandler forward = nullptr;
    QStringList m_openedUrls;
};

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QQmlContext *context = engine->rootContext();
        context->setContextProperty(QStringLiteral("networkMessenger"), new FakeHub(engine));
        context->setContextProperty(QStringLiteral("applicationVersion"),
                                    QVariant(QStringLiteral(QUINTAVO_VERSION)));
        m_probe.catchUrls();
        context->setContextProperty(QStringLiteral("probe"), &m_probe);
    }

private:
    SceneProbe m_probe;
};

QUICK_TEST_MAIN_WITH_SETUP(tst_scene, Setup)

#include "tst_scene.moc"
