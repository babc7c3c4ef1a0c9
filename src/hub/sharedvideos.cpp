#include "sharedvideos.h"

#include "entrylabel.h"

#include <QSet>

SharedVideos::SharedVideos(QObject *parent) : QAbstractListModel(parent)
{
    reset(0);
}

int SharedVideos::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SharedVideos::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const Entry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.description;
    case LabelRole:
        return index.row() == 0 ? EntryLabel::text(0) : entry.description;
    case HoldersRole:
        return entry.holders;
    case PlayersRole:
        return m_players;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> SharedVideos::roleNames() const
{
    return {{LabelRole, "label"}, {HoldersRole, "holders"}, {PlayersRole, "players"}};
}

void SharedVideos::reset(int players)
{
    beginResetModel();
    m_players = players;
    const QString standard = QString::fromLatin1(PlayerAnswer::defaultDescription);
    m_entries = {{standard, players}};
    m_rowOf = {{standard, 0}};
    endResetModel();
    emit countChanged();
}

void SharedVideos::add(const PlayerAnswer &playlist)
{
    // Only what PlayerAnswer::indexFor() finds: an entry without a
    // description is named by no text, and "Default" names every player's
    // entry 0.
    const QString standard = QString::fromLatin1(PlayerAnswer::defaultDescription);
    QSet<QString> counted;
    for (const PlayerAnswer::Entry &video : playlist.entries) {
        const QString &description = video.description;
        if (description.isEmpty() || description == standard || counted.contains(description))
            continue;
        counted.insert(description);
        const auto found = m_rowOf.constFind(description);
        if (found != m_rowOf.cend()) {
            ++m_entries[*found].holders;
            emit dataChanged(index(*found), index(*found), {HoldersRole});
            continue;
        }
        if (count() >= maximumEntries)
            continue;
        beginInsertRows(QModelIndex(), count(), count());
        m_rowOf.insert(description, count());
        m_entries.append({description, 1});
        endInsertRows();
        emit countChanged();
    }
}

QString SharedVideos::description(int row) const
{
    return row >= 0 && row < count() ? m_entries.at(row).description : QString();
}

int SharedVideos::holders(int row) const
{
    return row >= 0 && row < count() ? m_entries.at(row).holders : 0;
}

#include "moc_sharedvideos.cpp"
