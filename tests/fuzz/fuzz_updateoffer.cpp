// The update service's answer, as a hostile or broken service may send it.
#include "applicationinfo.h"
#include "noticemarkup.h"
#include "updateoffer.h"
#include "versionnumber.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const VersionNumber current = ApplicationInfo::quintavo().version();
    QString parseError;
    const auto offer
        = UpdateOffer::fromReply(body, QStringLiteral("windows"), current, &parseError);
    // An offer is only ever made for a newer version, and never with a parse error.
    if (offer
        && (!parseError.isEmpty() || !VersionNumber::fromText(offer->version).isNewerThan(current)))
        abort();
    // The notice's markup names nothing to load, and what is kept is kept again.
    if (offer
        && (offer->description.contains(QLatin1String("<img"), Qt::CaseInsensitive)
            || NoticeMarkup::sanitized(offer->description) != offer->description))
        abort();
    return 0;
}
