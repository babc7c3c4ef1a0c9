#include "playerchoice.h"

#include "extratargets.h"

#include <QRegularExpression>

std::optional<PlayerChoice> PlayerChoice::fromText(const QString &text, QString *error)
{
    PlayerChoice choice;
    choice.m_text = text;
    if (text.startsWith(QLatin1Char('@'))) {
        if (text.size() == 1) {
            *error = QStringLiteral("@ needs the name of a group");
            return std::nullopt;
        }
        choice.m_group = text.mid(1);
        return choice;
    }

    // Digits and dots are meant as an IPv4 address, read as the scan targets
    // are; an IPv6 address takes brackets when a port follows.
    static const QRegularExpression ipv4(QStringLiteral(R"(^([0-9]*\.[0-9.]*)(?::(.*))?$)"));
    static const QRegularExpression ipv6(QStringLiteral(R"(^\[(.*)\]:(.*)$)"));
    QString port;
    bool hasPort = false;
    if (const auto match = ipv4.match(text); match.hasMatch()) {
        const auto address = ExtraTargets::parse(match.captured(1));
        if (!address) {
            *error = QStringLiteral("\"%1\" is not an IPv4 address (four numbers from 0 to 255)")
                         .arg(match.captured(1));
            return std::nullopt;
        }
        choice.m_address = *address;
        hasPort = match.lastCapturedIndex() == 2;
        port = match.captured(2);
    } else if (const auto match = ipv6.match(text); match.hasMatch()) {
        if (!choice.m_address.setAddress(match.captured(1))) {
            *error = QStringLiteral("\"%1\" is not an IP address").arg(match.captured(1));
            return std::nullopt;
        }
        hasPort = true;
        port = match.captured(2);
    } else if (!choice.m_address.setAddress(text)) {
        return choice; // a host name
    }

    if (hasPort) {
        bool ok = false;
        const uint number = port.toUInt(&ok);
        if (!ok || number == 0 || number > 65535) {
            *error = QStringLiteral("\"%1\" is not a port number (1 to 65535)").arg(port);
            return std::nullopt;
        }
        choice.m_port = static_cast<quint16>(number);
    }
    return choice;
}

PlayerChoice PlayerChoice::hostName(const QString &name)
{
    PlayerChoice choice;
    choice.m_text = name;
    return choice;
}

FoundPlayer PlayerChoice::direct() const
{
    return {QString(), m_address.toString(), m_port}; // no name until it answers
}

bool PlayerChoice::matches(const FoundPlayer &player) const
{
    if (m_group)
        return false;
    if (m_address.isNull())
        return player.name == m_text;
    return QHostAddress(player.address).isEqual(m_address);
}
