#include "offlineaccessmanager.h"

#include "refusedreply.h"

QNetworkReply *OfflineAccessManager::createRequest(Operation operation,
                                                   const QNetworkRequest &request, QIODevice *)
{
    return new RefusedReply(operation, request, this);
}
