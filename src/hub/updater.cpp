#include "updater.h"

#include "identity.h"
#include "updateoffer.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <utility>

Q_LOGGING_CATEGORY(lcUpdater, "quintavo.updater", QtWarningMsg)

QUrl Updater::defaultServiceUrl()
{
    return QUrl(
        QStringLiteral("http://%1/qarn/update.php").arg(QLatin1String(Identity::updateHost)),
        QUrl::TolerantMode);
}

Updater::Updater(ApplicationInfo applicationInfo, QObject *parent)
    : QObject(parent),
      m_platform(QStringLiteral("windows")),
      m_applicationInfo(std::move(applicationInfo)),
      m_serviceUrl(defaultServiceUrl())
{ }

void Updater::checkForUpdate()
{
    // Built only now: the network access takes milliseconds to set up, which
    // the application spends after its window's first frame.
    if (!m_networkAccessManager) {
        m_networkAccessManager = new QNetworkAccessManager(this);
        m_networkAccessManager->setObjectName(QStringLiteral("updateCheck")); // for tests
        connect(m_networkAccessManager, &QNetworkAccessManager::finished, this,
                &Updater::serviceRequestFinished);
    }
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("api"), QStringLiteral("1"));
    query.addQueryItem(QStringLiteral("application"), m_applicationInfo.applicationName());
    query.addQueryItem(QStringLiteral("version"), m_applicationInfo.versionText());
    query.addQueryItem(QStringLiteral("platform"), m_platform);
    QUrl url = m_serviceUrl;
    url.setQuery(query.query(), QUrl::TolerantMode);

    QNetworkRequest request(url);
    request.setTransferTimeout(transferTimeout);
    QNetworkReply *reply = m_networkAccessManager->get(request);
    // The answer is taken in as it comes, a piece at a time, and one larger
    // than any real offer is cut off rather than held in memory, however it is
    // framed.
    m_answer.clear();
    reply->setReadBufferSize(readBufferSize);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { takeAnswer(reply); });
}

bool Updater::takeAnswer(QNetworkReply *reply)
{
    m_answer.append(reply->read(maximumReplySize + 1 - m_answer.size()));
    if (m_answer.size() <= maximumReplySize)
        return true;
    reply->abort();
    return false;
}

void Updater::serviceRequestFinished(QNetworkReply *networkReply)
{
    networkReply->deleteLater();
    if (networkReply->error() != QNetworkReply::NoError)
        return;
    if (!takeAnswer(networkReply))
        return;

    QString parseError;
    const auto offer
        = UpdateOffer::fromReply(m_answer, m_platform, m_applicationInfo.version(), &parseError);
    if (!parseError.isEmpty())
        qCDebug(lcUpdater).noquote() << parseError;
    if (!offer)
        return;

    m_version = offer->version;
    m_description = offer->description;
    m_url = offer->url;
    m_showMessage = offer->showMessage;
    emit updateAvailable();
}

#include "moc_updater.cpp"
