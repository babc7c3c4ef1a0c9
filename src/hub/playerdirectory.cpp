#include "playerdirectory.h"

#include "client.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <utility>

struct PlayerDirectory::Row
{
    Row(Client *client, QCollatorSortKey nameKey, QCollatorSortKey addressKey, quint16 port)
        : client(client),
          hostname(client->hostname()),
          nameKey(std::move(nameKey)),
          addressKey(std::move(addressKey)),
          port(port)
    { }

    Client *client;
    QString hostname; // as the row shows it, to notice a rename
    QCollatorSortKey nameKey;
    QCollatorSortKey addressKey;
    quint16 port;
    int missedScans = 0;
    bool registeredSinceScan = true;
    int playingIndex = -1;
    QString playing;
    bool playingStale = false;
};

namespace {

// The C locale collates by code point, without numbers compared as numbers or
// case folded; the root order that English has then stands in for it.
QLocale collationLocale()
{
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

} // namespace

PlayerDirectory::PlayerDirectory(QObject *parent)
    : QAbstractListModel(parent), m_collator(collationLocale())
{
    m_collator.setNumericMode(true); // "stage-2" before "stage-10"
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

PlayerDirectory::~PlayerDirectory() = default;

int PlayerDirectory::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant PlayerDirectory::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const Row &row = *m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case HostnameRole:
        return row.hostname;
    case IpAddressRole:
        return row.client->ipAddress();
    case PlayerRole:
        return QVariant::fromValue<QObject *>(row.client);
    case AnsweringRole:
        return row.missedScans == 0;
    case PlayingIndexRole:
        return row.playingIndex;
    case PlayingRole:
        return row.playing;
    case PlayingStaleRole:
        return row.playingStale;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> PlayerDirectory::roleNames() const
{
    return {{HostnameRole, "hostname"},
            {IpAddressRole, "ipaddress"},
            {PlayerRole, "player"},
            {AnsweringRole, "answering"},
            {PlayingIndexRole, "playingIndex"},
            {PlayingRole, "playing"},
            {PlayingStaleRole, "playingStale"}};
}

Client *PlayerDirectory::client(const QString &ipAddress, quint16 port) const
{
    const Row *row = m_byKey.value(Key(ipAddress, port));
    return row ? row->client : nullptr;
}

bool PlayerDirectory::holds(const Client *client) const
{
    return client && this->client(client->ipAddress(), client->port()) == client;
}

int PlayerDirectory::rowOf(QObject *player) const
{
    const auto *client = qobject_cast<Client *>(player);
    if (!holds(client))
        return -1;
    return indexOf(m_byKey.value(Key(client->ipAddress(), client->port())));
}

void PlayerDirectory::registered(Client *client)
{
    const Key key(client->ipAddress(), client->port());
    Row *row = m_byKey.value(key);
    if (!row) {
        auto made = std::make_unique<Row>(client, m_collator.sortKey(client->hostname()),
                                          m_collator.sortKey(key.first), key.second);
        const int place = placeFor(*made);
        beginInsertRows(QModelIndex(), place, place);
        m_byKey.insert(key, made.get());
        m_rows.insert(m_rows.begin() + place, std::move(made));
        endInsertRows();
        emit countChanged();
        emit playerAppeared(key);
        return;
    }

    row->registeredSinceScan = true;
    QVector<int> roles;
    if (row->missedScans > 0) {
        row->missedScans = 0;
        roles.append(AnsweringRole);
    }
    int index = indexOf(row);
    // A second registration between two scans comes with an object of its own;
    // the row keeps its first, which the hub renames when a player comes back
    // under another name.
    if (row->client->hostname() != row->hostname) {
        row->hostname = row->client->hostname();
        row->nameKey = m_collator.sortKey(row->hostname);
        roles.append({Qt::DisplayRole, HostnameRole});
        // The row moves to its new place; it is not removed and made again.
        const int place = placeFor(index);
        if (place != index) {
            beginMoveRows(QModelIndex(), index, index, QModelIndex(),
                          place > index ? place + 1 : place);
            const auto from = m_rows.begin() + index;
            const auto to = m_rows.begin() + place;
            if (place > index)
                std::rotate(from, from + 1, to + 1);
            else
                std::rotate(to, from, from + 1);
            endMoveRows();
            index = place;
        }
    }
    if (!roles.isEmpty())
        changed(index, roles);
}

void PlayerDirectory::scanStarted()
{
    for (int index = count() - 1; index >= 0; --index) {
        Row &row = *m_rows[static_cast<size_t>(index)];
        if (row.registeredSinceScan) {
            row.registeredSinceScan = false;
            continue;
        }
        if (++row.missedScans < scansBeforeLeaving) {
            if (row.missedScans == 1)
                changed(index, {AnsweringRole});
            continue;
        }
        beginRemoveRows(QModelIndex(), index, index);
        const Key key(row.client->ipAddress(), row.port);
        m_byKey.remove(key);
        m_rows.erase(m_rows.begin() + index);
        endRemoveRows();
        emit countChanged();
        emit playerLeft(key);
    }
}

void PlayerDirectory::setPlaying(const Player &player,
                                 const std::optional<PlayerAnswer::Playing> &playing)
{
    Row *row = m_byKey.value(player);
    if (!row)
        return;
    if (!playing) {
        // What it played last is still shown, as the last known.
        if (row->playingIndex < 0 || row->playingStale)
            return;
        row->playingStale = true;
        changed(indexOf(row), {PlayingStaleRole});
        return;
    }
    // A player that says it plays nothing it could be switched to leaves its
    // row as it was.
    if (playing->activeIndex == PlayerAnswer::noEntry)
        return;
    const QString description = playing->description.value_or(QString());
    if (row->playingIndex == playing->activeIndex && row->playing == description
        && !row->playingStale)
        return;
    row->playingIndex = playing->activeIndex;
    row->playing = description;
    row->playingStale = false;
    changed(indexOf(row), {PlayingIndexRole, PlayingRole, PlayingStaleRole});
}

void PlayerDirectory::answeredBy(Client *client, const QJsonObject &json)
{
    if (!holds(client))
        return;
    if (const auto playing = PlayerAnswer::readPlaying(json))
        setPlaying(Key(client->ipAddress(), client->port()), playing);
}

QVector<PlayerDirectory::Player> PlayerDirectory::playersInView() const
{
    QVector<Player> players;
    const int last = std::min(m_lastInView, count() - 1);
    for (int index = std::max(0, m_firstInView); index <= last; ++index) {
        const Row &row = *m_rows[static_cast<size_t>(index)];
        players.append(Key(row.client->ipAddress(), row.port));
    }
    return players;
}

void PlayerDirectory::setRowsInView(int first, int last)
{
    last = std::min(last, count() - 1);
    if (first < 0 || last < first)
        first = last = -1;
    if (first == m_firstInView && last == m_lastInView)
        return;
    m_firstInView = first;
    m_lastInView = last;
    emit rowsInViewChanged();
}

void PlayerDirectory::open(int row)
{
    if (row >= 0 && row < count())
        emit openRequested(m_rows[static_cast<size_t>(row)]->client);
}

bool PlayerDirectory::before(const Row &a, const Row &b) const
{
    if (const int byName = a.nameKey.compare(b.nameKey))
        return byName < 0;
    if (const int byAddress = a.addressKey.compare(b.addressKey))
        return byAddress < 0;
    return a.port < b.port;
}

int PlayerDirectory::indexOf(const Row *row) const
{
    auto found = std::lower_bound(
        m_rows.begin(), m_rows.end(), row,
        [this](const std::unique_ptr<Row> &a, const Row *b) { return before(*a, *b); });
    // Rows the order cannot tell apart stand side by side.
    while (found != m_rows.end() && found->get() != row && !before(*row, **found))
        ++found;
    return static_cast<int>(found - m_rows.begin());
}

int PlayerDirectory::placeFor(const Row &row) const
{
    return indexOf(&row);
}

int PlayerDirectory::placeFor(int index) const
{
    // Every other row is in order: the place is among those before the row, or
    // among those after it.
    const Row *row = m_rows[static_cast<size_t>(index)].get();
    const auto earlier = [this](const std::unique_ptr<Row> &a, const Row *b) {
        return before(*a, *b);
    };
    const auto begin = m_rows.begin();
    const auto amongBefore = std::lower_bound(begin, begin + index, row, earlier);
    if (amongBefore != begin + index)
        return static_cast<int>(amongBefore - begin);
    const auto amongAfter = std::lower_bound(begin + index + 1, m_rows.end(), row, earlier);
    return static_cast<int>(amongAfter - begin) - 1;
}

void PlayerDirectory::changed(int index, const QVector<int> &roles)
{
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, roles);
}

#include "moc_playerdirectory.cpp"
