#include "updateoffer.h"

#include "jsonkeys.h"
#include "noticemarkup.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

std::optional<UpdateOffer> UpdateOffer::fromReply(const QByteArray &body, const QString &platform,
                                                  const VersionNumber &current, QString *parseError)
{
    // The body counts up to its first NUL, as text.
    const QByteArray text = QString::fromUtf8(body.constData()).toUtf8();
    if (JsonKeys::hasDuplicates(text)) {
        if (parseError)
            *parseError = QStringLiteral("duplicate key");
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        if (parseError)
            *parseError = error.errorString();
        return std::nullopt;
    }

    const QJsonObject root = document.object();
    if (root.value(QLatin1String("type")).toString() != QLatin1String("update"))
        return std::nullopt;
    const QJsonObject update = root.value(QLatin1String("update")).toObject();
    if (update.value(QLatin1String("platform")) != QJsonValue(platform))
        return std::nullopt;
    const QString version = update.value(QLatin1String("version")).toString();
    if (!VersionNumber::fromText(version).isNewerThan(current))
        return std::nullopt;

    UpdateOffer offer;
    offer.version = version;
    offer.description
        = NoticeMarkup::sanitized(update.value(QLatin1String("description")).toString());
    offer.url = update.value(QLatin1String("url")).toString();
    offer.showMessage = update.value(QLatin1String("show_message")).toBool();
    return offer;
}
