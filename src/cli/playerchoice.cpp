#include "playerchoice.h"

#include <QRegularExpression>

std::optional<PlayerChoice> PlayerChoice::fromText(const QString &text, QString *error)
{
    PlayerChoice choice;
    choice.m_text = text;

    // Anything made of four dotted numbers is meant as an IPv4 address; an IPv6
    // address takes brackets when a port follows.
    static const QRegularExpression ipv4(QStringLiteral(R"(^(\d+\.\d+\.\d+\.\d+)(?::(.*))?$)"));
    static const QRegularExpression ipv6(QStringLiteral(R"(^\[(.*)\]:(.*)$)"));
    QString address = text;
    QString port;
    bool hasPort = false;
    if (const auto match = ipv4.match(text); match.hasMatch()) {
        address = match.captured(1);
        hasPort = match.lastCapturedIndex() == 2;
        port = match.captured(2);
    } else if (const auto match = ipv6.match(text); match.hasMatch()) {
        address = match.captured(1);
        hasPort = true;
        port = match.captured(2);
    } else if (!choice.m_address.setAddress(text)) {
        return choice; // a host name
    }

    if (!choice.m_address.setAddress(address)) {
        *error = QStringLiteral("\"%1\" is not an IP address").arg(address);
        return std::nullopt;
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

FoundPlayer PlayerChoice::direct() const
{
    return {QString(), m_address.toString(), m_port}; // no name until it answers
}

bool PlayerChoice::matches(const FoundPlayer &player) const
{
    if (m_address.isNull())
        return player.name == m_text;
    return QHostAddress(player.address).isEqual(m_address);
}
