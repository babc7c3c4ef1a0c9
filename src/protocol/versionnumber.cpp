#include "versionnumber.h"

#include <QStringList>

VersionNumber VersionNumber::fromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    VersionNumber version;
    if (parts.size() != 3)
        return version;
    version.major = static_cast<quint8>(parts.at(0).toUInt(nullptr, 10) & 0xFF);
    version.minor = static_cast<quint8>(parts.at(1).toUInt(nullptr, 10) & 0xFF);
    version.patch = static_cast<quint8>(parts.at(2).toUInt(nullptr, 10) & 0xFF);
    return version;
}

QString VersionNumber::toText() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

bool VersionNumber::isNewerThan(const VersionNumber &other) const
{
    if (major != other.major)
        return major > other.major;
    if (minor != other.minor)
        return minor > other.minor;
    return patch > other.patch;
}
