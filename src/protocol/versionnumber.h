// A three-part application version (major.minor.patch, each 0-255), as the
// application reports it and as the update service offers it.
#pragma once

#include <QString>
#include <QtGlobal>

struct VersionNumber
{
    quint8 major = 0;
    quint8 minor = 0;
    quint8 patch = 0;

    // Parses "major.minor.patch". Empty parts are dropped ("1..2.3" is 1.2.3), a
    // part that is not a number counts as 0 and each number keeps its low 8 bits.
    // A text that does not give exactly three parts is 0.0.0, so an offer with a
    // malformed version is never newer than ours.
    static VersionNumber fromText(const QString &text);

    QString toText() const;

    // Numeric, field by field; equal versions are not newer.
    bool isNewerThan(const VersionNumber &other) const;
};
