#include "playerspec.h"

#include <QRegularExpression>

std::optional<PlayerSpec> PlayerSpec::fromText(const QString &text, QString *error)
{
    PlayerSpec spec;
    spec.m_text = text;

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
    } else if (!spec.m_address.setAddress(text)) {
        return spec; // a host name
    }

    if (!spec.m_address.setAddress(address)) {
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
        spec.m_port = static_cast<quint16>(number);
    }
    return spec;
}

FoundPlayer PlayerSpec::direct() const
{
    return {QString(), m_address.toString(), m_port}; // no name until it answers
}

bool PlayerSpec::matches(const FoundPlayer &player) const
{
    if (m_address.isNull())
        return player.name == m_text;
    return QHostAddress(player.address).isEqual(m_address);
}
