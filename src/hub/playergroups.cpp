#include "playergroups.h"

#include "applicationsettings.h"

#include <algorithm>
#include <utility>

namespace {

// Qt 5 reads a key's bytes in a settings file as Latin-1 (it writes other
// characters as %-escapes), so a name typed into the file in UTF-8 comes back
// as its bytes: read those as UTF-8 when they are.
QString nameOfKey(const QString &key)
{
#ifdef Q_OS_WIN
    return key; // the registry keeps names as they are
#else
    for (const QChar c : key)
        if (c.unicode() > 0xff)
            return key;
    const QByteArray bytes = key.toLatin1();
    const QString decoded = QString::fromUtf8(bytes);
    return decoded.toUtf8() == bytes ? decoded : key;
#endif
}

bool validName(const QString &name)
{
    if (name.isEmpty())
        return false;
    return std::none_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\')
            || c.category() == QChar::Other_Control;
    });
}

QStringList cleaned(const QStringList &members)
{
    QStringList result;
    for (const QString &member : members)
        if (!member.isEmpty() && !result.contains(member))
            result.append(member);
    return result;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

PlayerGroups::PlayerGroups()
{
    read();
}

std::optional<PlayerGroups::Group> PlayerGroups::find(const QString &name) const
{
    const int index = indexOf(name);
    if (index < 0)
        return std::nullopt;
    return m_groups.at(index);
}

PlayerGroups::Change PlayerGroups::save(const QString &name, const QStringList &members)
{
    const QString trimmed = name.trimmed();
    if (!validName(trimmed))
        return Change::BadName;
    Group group {trimmed, cleaned(members)};
    if (group.members.isEmpty())
        return Change::NoMembers;
    const int existing = indexOf(trimmed);
    std::optional<QString> replaced;
    if (existing >= 0) {
        // The group keeps its name as it was spelt.
        group.name = m_groups.at(existing).name;
        replaced = m_keys.at(existing);
    }
    return write(replaced, group);
}

PlayerGroups::Change PlayerGroups::rename(const QString &name, const QString &newName)
{
    const int index = indexOf(name);
    if (index < 0)
        return Change::NoSuchGroup;
    const QString trimmed = newName.trimmed();
    if (!validName(trimmed))
        return Change::BadName;
    const int other = indexOf(trimmed);
    if (other >= 0 && other != index)
        return Change::NameTaken;
    return write(m_keys.at(index), Group {trimmed, m_groups.at(index).members});
}

PlayerGroups::Change PlayerGroups::remove(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return Change::NoSuchGroup;
    return write(m_keys.at(index), std::nullopt);
}

void PlayerGroups::read()
{
    ApplicationSettings settings;
    m_readError.clear();
    if (settings.status() != QSettings::NoError)
        m_readError = QStringLiteral("cannot read %1").arg(settings.fileName());

    QList<std::pair<Group, QString>> stored;
    settings.beginGroup(QLatin1String(settingsGroup));
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        stored.append({Group {nameOfKey(key), cleaned(settings.value(key).toStringList())}, key});
    std::sort(stored.begin(), stored.end(), [](const auto &a, const auto &b) {
        const int order = a.first.name.compare(b.first.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.first.name < b.first.name;
    });

    m_groups.clear();
    m_keys.clear();
    for (const auto &entry : qAsConst(stored)) {
        m_groups.append(entry.first);
        m_keys.append(entry.second);
    }
}

int PlayerGroups::indexOf(const QString &name) const
{
    for (int i = 0; i < m_groups.size(); ++i)
        if (m_groups.at(i).name == name)
            return i;
    for (int i = 0; i < m_groups.size(); ++i)
        if (sameName(m_groups.at(i).name, name))
            return i;
    return -1;
}

PlayerGroups::Change PlayerGroups::write(const std::optional<QString> &removedKey,
                                         const std::optional<Group> &added)
{
    Change result = Change::Done;
    {
        ApplicationSettings settings;
        // A file that could not be read is not written over: what it held
        // would be lost. (Qt reads a file once per process while it stays the
        // same, and tells only the first reader.)
        if (!m_readError.isEmpty() || settings.status() != QSettings::NoError
            || !settings.isWritable())
            return Change::NotWritten;
        settings.beginGroup(QLatin1String(settingsGroup));
        if (removedKey)
            settings.remove(*removedKey);
        if (added)
            settings.setValue(added->name, added->members);
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError)
            result = Change::NotWritten;
    }
    read();
    return result;
}
