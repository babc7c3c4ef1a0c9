#include "refusedreply.h"

RefusedReply::RefusedReply(QNetworkAccessManager::Operation operation,
                           const QNetworkRequest &request, QObject *parent)
    : QNetworkReply(parent)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(operation);
    open(QIODevice::ReadOnly); // before the error: opening clears its text
    setError(ContentAccessDenied,
             QStringLiteral("The window loads nothing from the network: %1")
                 .arg(request.url().toDisplayString()));
    setFinished(true);
    QMetaObject::invokeMethod(
        this,
        [this] {
            emit errorOccurred(error());
            emit finished();
        },
        Qt::QueuedConnection);
}
