#include "scenepolicy.h"

#include "offlineaccessmanager.h"

#include <QQmlEngine>

void ScenePolicy::apply(QQmlEngine *engine)
{
    // Holds no state: one for every engine, from any of their threads.
    static ScenePolicy policy;
    engine->setNetworkAccessManagerFactory(&policy);
}

QNetworkAccessManager *ScenePolicy::create(QObject *parent)
{
    return new OfflineAccessManager(parent);
}
