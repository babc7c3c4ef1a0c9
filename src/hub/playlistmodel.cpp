#include "playlistmodel.h"

#include "entrylabel.h"

#include <algorithm>
#include <utility>

PlaylistModel::PlaylistModel(QObject *parent) : QAbstractListModel(parent) { }

QString PlaylistModel::defaultLabel() const
{
    return EntryLabel::text(0);
}

int PlaylistModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_entries.size();
}

QVariant PlaylistModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const PlayerAnswer::Entry &entry = m_entries.at(index.row());
    switch (role) {
    case LabelRole:
        return EntryLabel::text(index.row() + 1, entry.description);
    case MinutesRole:
        return entry.duration ? entry.duration->minutes : 0;
    case SecondsRole:
        return entry.duration ? entry.duration->seconds : 0;
    case DurationKnownRole:
        return entry.duration.has_value();
    case AvailableRole:
        return entry.exists;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> PlaylistModel::roleNames() const
{
    return {
        {LabelRole, QByteArrayLiteral("label")},
        {MinutesRole, QByteArrayLiteral("minutes")},
        {SecondsRole, QByteArrayLiteral("seconds")},
        {DurationKnownRole, QByteArrayLiteral("durationKnown")},
        {AvailableRole, QByteArrayLiteral("available")},
    };
}

void PlaylistModel::clear()
{
    replaceEntries({});
    setActiveIndex(PlayerAnswer::noEntry);
}

void PlaylistModel::show(const QJsonObject &answer)
{
    std::optional<PlayerAnswer> read = PlayerAnswer::read(answer);
    if (!read)
        return;
    replaceEntries(std::move(read->entries));
    setActiveIndex(read->activeIndex);
    emit answered();
}

void PlaylistModel::replaceEntries(QVector<PlayerAnswer::Entry> entries)
{
    // Rows both lists have are updated in place, one dataChanged per run of
    // changed rows; only the tail is inserted or removed.
    const int kept = std::min(m_entries.size(), entries.size());
    int changedFrom = -1;
    for (int row = 0; row <= kept; ++row) {
        if (row < kept && m_entries.at(row) != entries.at(row)) {
            m_entries[row] = std::move(entries[row]);
            if (changedFrom < 0)
                changedFrom = row;
        } else if (changedFrom >= 0) {
            emit dataChanged(index(changedFrom), index(row - 1));
            changedFrom = -1;
        }
    }

    if (entries.size() < m_entries.size()) {
        beginRemoveRows(QModelIndex(), entries.size(), m_entries.size() - 1);
        m_entries.resize(entries.size());
        // A long list followed by short ones would otherwise keep its memory.
        m_entries.squeeze();
        endRemoveRows();
    } else if (entries.size() > m_entries.size()) {
        beginInsertRows(QModelIndex(), m_entries.size(), entries.size() - 1);
        m_entries.reserve(entries.size());
        for (int row = m_entries.size(); row < entries.size(); ++row)
            m_entries.append(std::move(entries[row]));
        endInsertRows();
    }
}

void PlaylistModel::setActiveIndex(int index)
{
    if (index == m_activeIndex)
        return;
    m_activeIndex = index;
    emit activeIndexChanged(index);
}

#include "moc_playlistmodel.cpp"
