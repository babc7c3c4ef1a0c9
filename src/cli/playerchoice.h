// The PLAYER argument of quintavo-cli: a host name or an address, both looked
// up among the players that answer a scan; ADDRESS:PORT, a player's command
// port used directly with no scan; or @GROUP, the members of a group.
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
    // A host name, whatever it looks like: a member of a group.
    static PlayerChoice hostName(const QString &name);

    // The group @GROUP names, or nothing.
    std::optional<QString> group() const { return m_group; }

    QString text() const { return m_text; }
    // ADDRESS:PORT: the player is known without a scan.
    bool isDirect() const { return m_port != 0; }
    FoundPlayer direct() const;
    bool matches(const FoundPlayer &player) const;

private:
    QString m_text;
    QHostAddress m_address; // null for a host name
    quint16 m_port = 0;
    std::optional<QString> m_group;
};
