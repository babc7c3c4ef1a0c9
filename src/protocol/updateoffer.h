// What the update service's answer offers, if anything: the rules by which the
// update check reads the JSON document, with no network involved.
#pragma once

#include "versionnumber.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct UpdateOffer
{
    QString version; // exactly as the service sent it
    QString description; // rich text that loads nothing (NoticeMarkup), may hold links
    QString url;
    bool showMessage = false;

    // The offer in body, when it is of type "update", for platform, and newer than
    // current. A body that is not JSON gives nothing and, through parseError, the
    // parser's message.
    static std::optional<UpdateOffer> fromReply(const QByteArray &body, const QString &platform,
                                                const VersionNumber &current,
                                                QString *parseError = nullptr);
};
