// The answer to a request that is not sent: finished, with the error
// ContentAccessDenied and no content. Like any reply it signals the end from
// the event loop, once its caller has connected to it.
#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>

class RefusedReply : public QNetworkReply
{
    Q_OBJECT

public:
    RefusedReply(QNetworkAccessManager::Operation operation, const QNetworkRequest &request,
                 QObject *parent = nullptr);

    void abort() override { }

protected:
    qint64 readData(char *, qint64) override { return -1; }
};
