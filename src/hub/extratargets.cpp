#include "extratargets.h"

#include "applicationsettings.h"

#include <QRegularExpression>

namespace ExtraTargets {

namespace {

void appendOnce(QList<QHostAddress> &addresses, const QHostAddress &address)
{
    if (!addresses.contains(address))
        addresses.append(address);
}

} // namespace

std::optional<QHostAddress> parse(const QString &text)
{
    // Four decimal numbers, read as written. The system's reader would take
    // 010 as octal (8), and 10.1 or 10.0.1 as 10.0.0.1.
    static const QRegularExpression dotted(
        QStringLiteral(R"(^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})$)"));
    const QRegularExpressionMatch match = dotted.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    quint32 value = 0;
    for (int part = 1; part <= 4; ++part) {
        const uint number = match.capturedRef(part).toUInt();
        if (number > 255)
            return std::nullopt;
        value = value << 8 | number;
    }
    return QHostAddress(value);
}

std::optional<QList<QHostAddress>> parseAll(const QStringList &texts, QString *invalid)
{
    QList<QHostAddress> addresses;
    for (const QString &text : texts) {
        const auto address = parse(text);
        if (!address) {
            *invalid = text;
            return std::nullopt;
        }
        appendOnce(addresses, *address);
    }
    return addresses;
}

QList<QHostAddress> withStored(QList<QHostAddress> given, const QList<QHostAddress> &stored)
{
    for (const QHostAddress &address : stored)
        appendOnce(given, address);
    return given;
}

QList<QHostAddress> fromSettings(QStringList *ignored)
{
    QList<QHostAddress> addresses;
    const QStringList texts
        = ApplicationSettings().value(QLatin1String(settingsKey)).toStringList();
    for (const QString &text : texts) {
        if (text.trimmed().isEmpty())
            continue;
        if (const auto address = parse(text))
            appendOnce(addresses, *address);
        else
            ignored->append(text);
    }
    return addresses;
}

QString settingsFile()
{
    return ApplicationSettings().fileName();
}

QString ignoredNotice(const QString &text)
{
    return QStringLiteral("ignoring \"%1\" in %2 of %3: not an IPv4 address")
        .arg(text, QLatin1String(settingsKey), settingsFile());
}

} // namespace ExtraTargets
