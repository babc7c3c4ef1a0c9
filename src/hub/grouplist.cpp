#include "grouplist.h"

#include "playerdirectory.h"

GroupList::GroupList(PlayerDirectory *directory, QObject *parent)
    : QAbstractListModel(parent), m_directory(directory), m_groups(m_store.groups())
{ }

int GroupList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant GroupList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const PlayerGroups::Group &group = m_groups.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return group.name;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> GroupList::roleNames() const
{
    return {{NameRole, "name"}};
}

QString GroupList::saveSelection(const QString &name)
{
    return changed(m_store.save(name, m_directory->selectedHostNames()));
}

QString GroupList::rename(int row, const QString &newName)
{
    if (row < 0 || row >= count())
        return changed(PlayerGroups::Change::NoSuchGroup);
    return changed(m_store.rename(m_groups.at(row).name, newName));
}

QString GroupList::remove(int row)
{
    if (row < 0 || row >= count())
        return changed(PlayerGroups::Change::NoSuchGroup);
    return changed(m_store.remove(m_groups.at(row).name));
}

QString GroupList::nameAt(int row) const
{
    return row >= 0 && row < count() ? m_groups.at(row).name : QString();
}

int GroupList::select(int row)
{
    if (row < 0 || row >= count())
        return 0;
    return m_directory->selectHostNames(m_groups.at(row).members);
}

void GroupList::reload()
{
    m_store = PlayerGroups();
    changed(PlayerGroups::Change::Done);
}

QString GroupList::changed(PlayerGroups::Change change)
{
    // The store reads the file back after each change: what it holds now is
    // shown, row by row. Both lists are in the same order, by name.
    const QList<PlayerGroups::Group> now = m_store.groups();
    const auto named = [](const QList<PlayerGroups::Group> &groups, const QString &name) {
        for (const PlayerGroups::Group &group : groups)
            if (group.name == name)
                return true;
        return false;
    };
    for (int row = count() - 1; row >= 0; --row) {
        if (named(now, m_groups.at(row).name))
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_groups.removeAt(row);
        endRemoveRows();
    }
    for (int row = 0; row < now.size(); ++row) {
        if (row < count() && m_groups.at(row).name == now.at(row).name) {
            // Members show nowhere: a row changes only by its name.
            m_groups[row] = now.at(row);
            continue;
        }
        beginInsertRows(QModelIndex(), row, row);
        m_groups.insert(row, now.at(row));
        endInsertRows();
    }
    emit countChanged();
    static const char *const names[]
        = {"done", "bad name", "no members", "name taken", "no such group", "not written"};
    return QString::fromLatin1(names[int(change)]);
}

#include "moc_grouplist.cpp"
