// A network access manager that sends nothing: every request is answered at
// once by a RefusedReply.
#pragma once

#include <QNetworkAccessManager>

class OfflineAccessManager : public QNetworkAccessManager
{
    Q_OBJECT

public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;
};
