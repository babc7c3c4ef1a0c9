// Named groups of players, kept in the application's settings file, one key a
// group in [groups]:
//
//     [groups]
//     foyer=foyer-1, foyer-2, foyer-3, foyer-4
//
// A group lists its members by host name, so a player whose address changed
// stays in its group. Names and members are the user's and the players' text:
// data, escaped wherever they are shown. Read once when made; every change is
// written at once and read back, so that what the store holds is what the file
// says.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class PlayerGroups
{
public:
    // The section of the settings file.
    static constexpr char settingsGroup[] = "groups";

    struct Group
    {
        QString name;
        QStringList members; // host names, each once, in the order given
    };

    enum class Change {
        Done,
        BadName, // empty, or with '/', '\' or a control character (keys cannot hold them)
        NoMembers, // no host name that is not empty
        NameTaken, // another group has that name, ignoring case
        NoSuchGroup,
        NotWritten, // the settings file could not be read or written
    };

    // Reads the groups from the settings file.
    PlayerGroups();

    // By name, ignoring case first.
    QList<Group> groups() const { return m_groups; }
    // The group of that name: the one spelt so, or else the one that differs
    // only in case.
    std::optional<Group> find(const QString &name) const;
    // Why the file could not be read, or empty.
    QString readError() const { return m_readError; }

    // Adds a group, or gives an existing one of that name (in any case) these
    // members. The name is trimmed; empty members and repeats are left out.
    Change save(const QString &name, const QStringList &members);
    Change rename(const QString &name, const QString &newName);
    Change remove(const QString &name);

private:
    void read();
    int indexOf(const QString &name) const;
    Change write(const std::optional<QString> &removedKey, const std::optional<Group> &added);

    QList<Group> m_groups;
    QStringList m_keys; // of m_groups, as the file spells them
    QString m_readError;
};
