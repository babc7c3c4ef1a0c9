// The hub's script surface as the scene sees it, on the real hub and on the
// stand-in the scene tests use, which must show the same.
#include "fakehub.h"
#include "networkmessenger.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QtTest>

class tst_HubSurface : public QObject
{
    Q_OBJECT

private slots:
    void surface();
    void hubOrder();
};

// The scene's view of the hub: what it reads (properties with their types,
// writability and change signals), the signals it connects to and the methods
// it calls. The stand-in the scene tests use must show the same. (They use
// real player objects.)
void tst_HubSurface::surface()
{
    const QStringList surface {
        "property QList<QObject*> clients notify clientsUpdated",
        "property QObject* activeClient notify activeClientChanged",
        "signal clientsUpdated()",
        "signal activeClientChanged(QJsonObject json)",
        "signal newUpdate(QString version, QString description, QString url, bool showMessage)",
        "method scanForClients()",
        "method queryClient(QString ipAddress)",
        "method quintavo(ushort index)",
    };
    // How a class shows the member that a line of the surface names.
    const auto shown = [](const QMetaObject *meta, const QString &line) {
        const int word = line.startsWith("property") ? 2 : 1;
        const QString name = line.section(' ', word, word).section('(', 0, 0);
        const int index = meta->indexOfProperty(qPrintable(name));
        if (index >= 0) {
            const QMetaProperty property = meta->property(index);
            return QStringLiteral("property %1 %2%3 notify %4")
                .arg(property.typeName(), name, property.isWritable() ? " write" : "",
                     property.notifySignal().name());
        }
        for (int i = 0; i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.name() != name.toLatin1() || method.access() != QMetaMethod::Public)
                continue;
            QStringList parameters;
            for (int p = 0; p < method.parameterCount(); ++p)
                parameters << method.parameterTypes().at(p) + ' ' + method.parameterNames().at(p);
            return QStringLiteral("%1 %2(%3)")
                .arg(method.methodType() == QMetaMethod::Signal ? "signal" : "method", name,
                     parameters.join(QStringLiteral(", ")));
        }
        return QString();
    };
    for (const QString &line : surface) {
        QCOMPARE(shown(&NetworkMessenger::staticMetaObject, line), line);
        QCOMPARE(shown(&FakeHub::staticMetaObject, line), line);
    }

    // And behaves as the real one where the scene relies on it
    // (tst_networkmessenger::activePlayer): of two players at one address, a
    // query opens the one that registered first.
    FakeHub fake;
    fake.addPlayer("first", "127.0.0.1", 7000);
    fake.addPlayer("second", "127.0.0.1", 7001);
    fake.queryClient(QStringLiteral("127.0.0.1"));
    QVERIFY(fake.activeClient());
    QCOMPARE(fake.activeClient()->property("hostname").toString(), QStringLiteral("first"));
}

// The hub's own members, in the order its meta-object declares them: the
// surface has them so, index by index.
void tst_HubSurface::hubOrder()
{
    const QMetaObject &meta = NetworkMessenger::staticMetaObject;
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        const char *kind = method.methodType() == QMetaMethod::Signal ? "signal"
            : method.methodType() == QMetaMethod::Slot                ? "slot"
                                                                      : "method";
        methods << QStringLiteral("%1 %2").arg(kind, method.methodSignature());
    }
    QCOMPARE(methods,
             QStringList({"signal clientsUpdated()", "signal activeClientChanged(QJsonObject)",
                          "signal newUpdate(QString,QString,QString,bool)", "slot addClient()",
                          "slot clientDisconnect()", "slot jsonUpdated(QJsonObject)",
                          "slot updateAvailable()", "method scanForClients()",
                          "method queryClient(QString)", "method quintavo(ushort)"}));
    QStringList properties;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        properties << meta.property(i).name();
    QCOMPARE(properties, QStringList({"clients", "activeClient"}));
}

QTEST_GUILESS_MAIN(tst_HubSurface)
#include "tst_hubsurface.moc"
