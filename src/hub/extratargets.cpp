#include "extratargets.h"

#include "identity.h"

#include <QRegularExpression>
#include <QSettings>

namespace ExtraTargets {

namespace {

QSettings applicationSettings()
{
    // The organisation and application names are given here rather than set on
    // the application object, so that the file is the same for both programs.
    return QSettings(QString::fromLatin1(Identity::organizationName),
                     QString::fromLatin1(Identity::applicationName));
}

void appendOnce(QList<QHostAddress> &addresses, const QHostAddress &address)
{
    if (!addresses.contains(address))
        addresses.append(address);
}

} // namespace

QCommandLineOption option()
{
    return QCommandLineOption(
        QStringLiteral("scan"),
        QStringLiteral("Send the discovery datagram also to ADDRESS (a player's address, or "
                       "the broadcast address of a network the broadcast does not reach). "
                       "Repeatable."),
        QStringLiteral("ADDRESS"));
}

std::optional<QHostAddress> parse(const QString &text)
{
    // Four numbers: the system would also take 10.1 or 10.0.1 (as 10.0.0.1).
    static const QRegularExpression dotted(QStringLiteral(R"(^\d+\.\d+\.\d+\.\d+$)"));
    const QString trimmed = text.trimmed();
    QHostAddress address;
    if (!dotted.match(trimmed).hasMatch() || !address.setAddress(trimmed))
        return std::nullopt;
    return address;
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
        = applicationSettings().value(QLatin1String(settingsKey)).toStringList();
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
    return applicationSettings().fileName();
}

QString ignoredNotice(const QString &text)
{
    return QStringLiteral("ignoring \"%1\" in %2 of %3: not an IPv4 address")
        .arg(text, QLatin1String(settingsKey), settingsFile());
}

} // namespace ExtraTargets
