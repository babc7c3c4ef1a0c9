// Asks the maker's update service once per run whether a newer version of the
// application exists for this platform, and announces an offer with
// updateAvailable().
#pragma once

#include "applicationinfo.h"

#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class Updater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString version READ version)
    Q_PROPERTY(QString description READ description)
    Q_PROPERTY(QString url READ url)
    Q_PROPERTY(bool showMessage READ showMessage)

public:
    // The service's address, its host set when the application is built.
    static QUrl defaultServiceUrl();
    // The most of an answer that is read; a longer one is no offer.
    static constexpr qint64 maximumReplySize = 1024 * 1024;
    // How much of it waits to be taken in at a time.
    static constexpr qint64 readBufferSize = 64 * 1024;
    // A service that stops sending for this long is given up.
    static constexpr int transferTimeout = 30000;

    explicit Updater(ApplicationInfo applicationInfo, QObject *parent = nullptr);

    void setServiceUrl(const QUrl &serviceUrl) { m_serviceUrl = serviceUrl; }
    void checkForUpdate();

    QString version() const { return m_version; }
    QString description() const { return m_description; }
    QString url() const { return m_url; }
    bool showMessage() const { return m_showMessage; }

signals:
    void updateAvailable();

public slots:
    void serviceRequestFinished(QNetworkReply *networkReply);

private:
    // Takes in what has come of the answer; false, and the transfer cut, once
    // it is larger than any real offer.
    bool takeAnswer(QNetworkReply *reply);

    const QString m_platform;
    ApplicationInfo m_applicationInfo;
    QNetworkAccessManager *m_networkAccessManager = nullptr;
    QUrl m_serviceUrl;
    QByteArray m_answer; // as far as it has come
    QString m_version;
    QString m_description;
    QString m_url;
    bool m_showMessage = false;
};
