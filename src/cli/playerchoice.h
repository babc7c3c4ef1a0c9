// The PLAYER argument of quintavo-cli: a host name or an address, both looked
// up among the players that answer a scan, or ADDRESS:PORT, a player's command
// port used directly with no scan.
#pragma once

#include "foundplayer.h"

#include <QHostAddress>
#include <QString>

#include <optional>

class PlayerChoice
{
public:
    // Gives nothing, and says why in *error, for an address or port that cannot
    // be one (300.1.2.3, 10.0.0.1:0, 10.0.0.1:http).
    static std::optional<PlayerChoice> fromText(const QString &text, QString *error);

    QString text() const { return m_text; }
    // ADDRESS:PORT: the player is known without a scan.
    bool isDirect() const { return m_port != 0; }
    FoundPlayer direct() const;
    bool matches(const FoundPlayer &player) const;

private:
    QString m_text;
    QHostAddress m_address; // null for a host name
    quint16 m_port = 0;
};
