#include "playerfilter.h"

#include "playerdirectory.h"

#include <algorithm>

PlayerFilter::PlayerFilter(PlayerDirectory *directory, QObject *parent)
    : QAbstractListModel(parent), m_directory(directory)
{
    connect(directory, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { inserted(first, last); });
    connect(directory, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { aboutToBeRemoved(first, last); });
    connect(directory, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { removed(first, last); });
    connect(directory, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int destination) {
                moved(first, last, destination);
            });
    connect(directory, &QAbstractItemModel::dataChanged, this, &PlayerFilter::dataChangedInSource);
    connect(directory, &QAbstractItemModel::modelReset, this, &PlayerFilter::rebuild);
    connect(directory, &QAbstractItemModel::layoutChanged, this, &PlayerFilter::rebuild);
    rebuild();
}

int PlayerFilter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant PlayerFilter::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    return m_directory->index(m_rows.at(index.row())).data(role);
}

QHash<int, QByteArray> PlayerFilter::roleNames() const
{
    return m_directory->roleNames();
}

bool PlayerFilter::accepts(int sourceRow) const
{
    if (m_text.isEmpty())
        return true;
    const QModelIndex at = m_directory->index(sourceRow);
    return at.data(PlayerDirectory::HostnameRole).toString().contains(m_text, Qt::CaseInsensitive)
        || at.data(PlayerDirectory::IpAddressRole).toString().contains(m_text, Qt::CaseInsensitive);
}

int PlayerFilter::placeOf(int sourceRow) const
{
    return int(std::lower_bound(m_rows.cbegin(), m_rows.cend(), sourceRow) - m_rows.cbegin());
}

int PlayerFilter::sourceRow(int row) const
{
    return row >= 0 && row < count() ? m_rows.at(row) : -1;
}

int PlayerFilter::rowOfSource(int sourceRow) const
{
    const int place = placeOf(sourceRow);
    return place < count() && m_rows.at(place) == sourceRow ? place : -1;
}

void PlayerFilter::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    // Rows held back now leave, last first, in runs; then the rows let
    // through now come in, in runs. Every other row stays as it is.
    for (int row = count() - 1; row >= 0;) {
        if (accepts(m_rows.at(row))) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !accepts(m_rows.at(first - 1)))
            --first;
        beginRemoveRows(QModelIndex(), first, row);
        m_rows.remove(first, row - first + 1);
        endRemoveRows();
        row = first - 1;
    }
    const int sources = m_directory->count();
    for (int source = 0, place = 0; source < sources;) {
        if (place < count() && m_rows.at(place) == source) {
            ++place;
            ++source;
            continue;
        }
        if (!accepts(source)) {
            ++source;
            continue;
        }
        // A run of rows let through, up to the next row already shown.
        const int next = place < count() ? m_rows.at(place) : sources;
        QVector<int> run;
        for (; source < next; ++source)
            if (accepts(source))
                run.append(source);
        beginInsertRows(QModelIndex(), place, place + run.size() - 1);
        m_rows.insert(place, run.size(), 0);
        std::copy(run.cbegin(), run.cend(), m_rows.begin() + place);
        endInsertRows();
        place += run.size();
    }
    emit countChanged();
    emit textChanged();
    showInView();
}

void PlayerFilter::inserted(int first, int last)
{
    const int added = last - first + 1;
    const int from = placeOf(first);
    for (int place = from; place < count(); ++place)
        m_rows[place] += added;
    bool grew = false;
    for (int source = first; source <= last; ++source) {
        if (!accepts(source))
            continue;
        const int place = placeOf(source);
        beginInsertRows(QModelIndex(), place, place);
        m_rows.insert(place, source);
        endInsertRows();
        grew = true;
    }
    if (grew) {
        emit countChanged();
        showInView();
    }
}

void PlayerFilter::aboutToBeRemoved(int first, int last)
{
    const int from = placeOf(first), to = placeOf(last + 1);
    if (from == to)
        return;
    beginRemoveRows(QModelIndex(), from, to - 1);
    m_rows.remove(from, to - from);
    endRemoveRows();
    emit countChanged();
}

void PlayerFilter::removed(int first, int last)
{
    const int gone = last - first + 1;
    for (int place = placeOf(first); place < count(); ++place)
        m_rows[place] -= gone;
    showInView();
}

void PlayerFilter::moved(int first, int last, int destination)
{
    // Where each of the directory's rows stands after the move.
    const int size = last - first + 1;
    const auto after = [&](int source) {
        if (source >= first && source <= last)
            return destination > last ? source + destination - last - 1
                                      : source - (first - destination);
        if (destination > last && source > last && source < destination)
            return source - size;
        if (destination < first && source >= destination && source < first)
            return source + size;
        return source;
    };
    const int from = placeOf(first), to = placeOf(last + 1); // the rows shown that move
    QVector<int> rows = m_rows;
    for (int &source : rows)
        source = after(source);
    std::sort(rows.begin(), rows.end());
    if (from == to) {
        m_rows = rows;
        return;
    }
    const int place
        = int(std::lower_bound(rows.cbegin(), rows.cend(), after(m_rows.at(from))) - rows.cbegin());
    if (place == from) {
        m_rows = rows;
    } else {
        beginMoveRows(QModelIndex(), from, to - 1, QModelIndex(),
                      place > from ? place + (to - from) : place);
        m_rows = rows;
        endMoveRows();
    }
    showInView();
}

void PlayerFilter::dataChangedInSource(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                       const QVector<int> &roles)
{
    const bool matters = roles.isEmpty() || roles.contains(PlayerDirectory::HostnameRole)
        || roles.contains(PlayerDirectory::IpAddressRole);
    for (int source = topLeft.row(); source <= bottomRight.row(); ++source) {
        const int row = rowOfSource(source);
        const bool accepted = !matters || m_text.isEmpty() ? row >= 0 : accepts(source);
        if (row >= 0 && accepted) {
            emit dataChanged(index(row), index(row), roles);
        } else if (row >= 0) {
            beginRemoveRows(QModelIndex(), row, row);
            m_rows.remove(row);
            endRemoveRows();
            emit countChanged();
            showInView();
        } else if (accepted) {
            const int place = placeOf(source);
            beginInsertRows(QModelIndex(), place, place);
            m_rows.insert(place, source);
            endInsertRows();
            emit countChanged();
            showInView();
        }
    }
}

void PlayerFilter::rebuild()
{
    beginResetModel();
    m_rows.clear();
    for (int source = 0; source < m_directory->count(); ++source)
        if (accepts(source))
            m_rows.append(source);
    endResetModel();
    emit countChanged();
    showInView();
}

void PlayerFilter::open(int row)
{
    m_directory->open(sourceRow(row));
}

void PlayerFilter::forget(int row)
{
    m_directory->forget(sourceRow(row));
}

int PlayerFilter::openedRow() const
{
    const int source = m_directory->openedRow();
    return source < 0 ? -1 : rowOfSource(source);
}

void PlayerFilter::setRowsInView(int first, int last)
{
    last = std::min(last, count() - 1);
    if (first < 0 || last < first)
        first = last = -1;
    m_firstInView = first;
    m_lastInView = last;
    showInView();
}

void PlayerFilter::showInView()
{
    QVector<int> rows;
    const int last = std::min(m_lastInView, count() - 1);
    for (int row = std::max(0, m_firstInView); m_firstInView >= 0 && row <= last; ++row)
        rows.append(m_rows.at(row));
    m_directory->setRowsInView(rows);
}

void PlayerFilter::setFocusedRow(int row)
{
    const int source = sourceRow(row);
    m_focused
        = source < 0 ? QPersistentModelIndex() : QPersistentModelIndex(m_directory->index(source));
}

int PlayerFilter::focusedRow() const
{
    return m_focused.isValid() ? rowOfSource(m_focused.row()) : -1;
}

void PlayerFilter::toggle(int row)
{
    const int source = sourceRow(row);
    if (source < 0)
        return;
    m_directory->setSelected({source}, !m_directory->isSelected(source));
    m_anchor = m_directory->index(source);
}

void PlayerFilter::extendTo(int from, int to)
{
    const int anchor = m_anchor.isValid() ? rowOfSource(m_anchor.row()) : -1;
    const int start = anchor >= 0 ? anchor : from;
    if (sourceRow(start) < 0 || sourceRow(to) < 0)
        return;
    QVector<int> rows;
    for (int row = std::min(start, to); row <= std::max(start, to); ++row)
        rows.append(m_rows.at(row));
    m_directory->setSelected(rows, true);
    if (anchor < 0)
        m_anchor = m_directory->index(m_rows.at(start));
}

void PlayerFilter::selectShown()
{
    m_directory->setSelected(m_rows, true);
}

void PlayerFilter::clearSelection()
{
    m_directory->clearSelection();
    m_anchor = QPersistentModelIndex();
}

void PlayerFilter::forgetSelected()
{
    m_directory->forgetSelected();
    m_anchor = QPersistentModelIndex();
}

#include "moc_playerfilter.cpp"
