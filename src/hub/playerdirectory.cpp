#include "playerdirectory.h"

#include "entrylabel.h"

#include "client.h"
#include "collationkey.h"

#include <QSet>

#include <algorithm>
#include <utility>

struct PlayerDirectory::Row
{
    Row(QString hostname, CollationKey nameKey, QString address, CollationKey addressKey,
        quint16 port)
        : hostname(std::move(hostname)),
          nameKey(std::move(nameKey)),
          address(std::move(address)),
          addressKey(std::move(addressKey)),
          port(port)
    { }

    Key key() const { return Key(address, port); }

    // Made when the player first registers or when the row is opened; the
    // row's own, deleted with it.
    std::unique_ptr<Client, LaterDeleter> client;
    QString hostname; // as the row shows it, to notice a rename
    CollationKey nameKey;
    QString address;
    CollationKey addressKey;
    quint16 port;
    bool answering = true;
    bool notSeenYet = false;
    // The latest scan when it was listed, when it last registered, and when
    // it was last sent the datagram at its address.
    int listedIn = 0;
    int registeredIn = 0;
    int directIn = 0;
    QDateTime firstSeen;
    QDateTime lastSeen;
    int playingIndex = -1;
    QString playing;
    bool playingStale = false;
    bool selected = false;
    QString switchOutcome;
};

void PlayerDirectory::LaterDeleter::operator()(Client *client) const
{
    // Its signals may be on their way: it goes once they have been handled.
    client->deleteLater();
}

namespace {

// The C locale collates by code point, without numbers compared as numbers or
// case folded; the root order that English has then stands in for it.
QLocale collationLocale()
{
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

qint64 minuteOf(const QDateTime &time)
{
    return time.isValid() ? time.toSecsSinceEpoch() / 60 : -1;
}

} // namespace

PlayerDirectory::PlayerDirectory(QObject *parent)
    : QAbstractListModel(parent), m_collator(collationLocale())
{
    m_collator.setNumericMode(true); // "stage-2" before "stage-10"
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

PlayerDirectory::~PlayerDirectory()
{
    // With the directory, its players go at once: no event loop may turn
    // after it to delete them later.
    for (const auto &row : m_rows)
        delete row->client.release();
    for (auto &duplicate : m_duplicates)
        delete duplicate.release();
}

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
        return row.address;
    case AnsweringRole:
        return row.answering;
    case NotSeenYetRole:
        return row.notSeenYet;
    case LastSeenRole:
        return row.lastSeen.toLocalTime();
    case LastSeenDaysAgoRole:
        return row.lastSeen.toLocalTime().date().daysTo(now().toLocalTime().date());
    case PlayingIndexRole:
        return row.playingIndex;
    case PlayingRole:
        return row.playingIndex < 0 ? QString() : EntryLabel::text(row.playingIndex, row.playing);
    case PlayingStaleRole:
        return row.playingStale;
    case SelectedRole:
        return row.selected;
    case SwitchOutcomeRole:
        return row.switchOutcome;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> PlayerDirectory::roleNames() const
{
    return {{HostnameRole, "hostname"},   {IpAddressRole, "ipaddress"},
            {AnsweringRole, "answering"}, {NotSeenYetRole, "notSeenYet"},
            {LastSeenRole, "lastSeen"},   {LastSeenDaysAgoRole, "lastSeenDaysAgo"},
            {PlayingRole, "playing"},     {PlayingStaleRole, "playingStale"},
            {SelectedRole, "selected"},   {SwitchOutcomeRole, "switchOutcome"}};
}

Client *PlayerDirectory::client(const QString &ipAddress, quint16 port) const
{
    const Row *row = m_byKey.value(Key(ipAddress, port));
    return row ? row->client.get() : nullptr;
}

int PlayerDirectory::rowOf(const Client *player) const
{
    const Row *row = player ? m_byKey.value(Key(player->ipAddress(), player->port())) : nullptr;
    return row ? indexOf(row) : -1;
}

void PlayerDirectory::setOpened(const Client *player)
{
    m_opened = Key(player->ipAddress(), player->port());
}

int PlayerDirectory::openedRow() const
{
    const Row *row = m_opened ? m_byKey.value(*m_opened) : nullptr;
    return row ? indexOf(row) : -1;
}

std::unique_ptr<PlayerDirectory::Row>
PlayerDirectory::makeRow(const QString &hostName, const QString &address, quint16 port) const
{
    return std::make_unique<Row>(hostName, CollationKey(m_collator, hostName), address,
                                 CollationKey(m_collator, address), port);
}

Client *PlayerDirectory::registered(const QString &hostName, const QString &address, quint16 port)
{
    const Key key(address, port);
    const QDateTime seen = now();
    Row *row = m_byKey.value(key);
    if (!row) {
        row = movedPlayer(hostName);
        if (row)
            takeOver(row, key);
    }
    if (!row) {
        auto made = makeRow(hostName, key.address, key.port);
        made->client = makeClient(*made);
        made->listedIn = made->registeredIn = m_scan;
        made->firstSeen = made->lastSeen = seen;
        Client *client = made->client.get();
        insert(std::move(made));
        dropLongestUnseen();
        touched(true);
        emit playerAppeared(key);
        return client;
    }

    // A second registration between two scans comes with an object of its
    // own, which lasts until the next scan; the row keeps its first.
    if (row->registeredIn == m_scan && row->client) {
        m_duplicates.emplace_back(new Client(hostName, QHostAddress(address), port));
        return m_duplicates.back().get();
    }
    row->registeredIn = m_scan;
    QVector<int> roles;
    const bool returned = !row->answering;
    if (returned) {
        row->answering = true;
        roles.append(AnsweringRole);
    }
    if (row->notSeenYet) {
        row->notSeenYet = false;
        roles.append(NotSeenYetRole);
    }
    if (!row->client)
        row->client = makeClient(*row);
    // A player that registers again keeps its object, also when it comes
    // back under another name.
    row->client->setHostname(hostName);
    int index = indexOf(row);
    bool renamed = false;
    if (hostName != row->hostname) {
        row->hostname = hostName;
        row->nameKey = CollationKey(m_collator, row->hostname);
        roles.append({Qt::DisplayRole, HostnameRole});
        index = moveToPlace(index);
        renamed = true;
    }
    const bool newMinute = minuteOf(seen) != minuteOf(row->lastSeen);
    row->lastSeen = seen;
    if (!row->firstSeen.isValid())
        row->firstSeen = seen;
    if (!roles.isEmpty())
        changed(index, roles);
    touched(returned || renamed || newMinute);
    if (returned)
        emit playerAppeared(key);
    return row->client.get();
}

std::unique_ptr<Client, PlayerDirectory::LaterDeleter> PlayerDirectory::makeClient(const Row &row)
{
    return std::unique_ptr<Client, LaterDeleter>(
        new Client(row.hostname, QHostAddress(row.address), row.port));
}

PlayerDirectory::Row *PlayerDirectory::movedPlayer(const QString &hostName) const
{
    // Host names compare as the network's names do, whatever the case.
    Row *candidate = nullptr;
    for (const auto &row : m_rows) {
        if (row->hostname.compare(hostName, Qt::CaseInsensitive) != 0)
            continue;
        if (row->answering || candidate)
            return nullptr;
        candidate = row.get();
    }
    return candidate;
}

void PlayerDirectory::takeOver(Row *row, const Key &key)
{
    const Key was = row->key();
    m_byKey.remove(was);
    row->address = key.address;
    row->port = key.port;
    row->addressKey = CollationKey(m_collator, key.address);
    // The object of the old address goes, also from an open player screen,
    // whose commands would go to an address the player left; the
    // registration makes one for the new.
    row->client.reset();
    if (m_opened == was)
        m_opened = key;
    m_byKey.insert(key, row);
    // Where the old address stood among rows of the same name.
    const auto at = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                 [row](const std::unique_ptr<Row> &r) { return r.get() == row; });
    const int index = moveToPlace(static_cast<int>(at - m_rows.cbegin()));
    changed(index, {IpAddressRole});
    emit playerLeft(was);
}

int PlayerDirectory::scanStarted()
{
    m_duplicates.clear();
    return ++m_scan;
}

QList<QHostAddress> PlayerDirectory::unanswered(int scan)
{
    QList<QHostAddress> addresses;
    QSet<QString> taken; // the address texts are canonical
    for (const auto &row : m_rows) {
        if (row->registeredIn >= scan || row->directIn >= scan)
            continue;
        row->directIn = m_scan;
        if (taken.contains(row->address))
            continue;
        taken.insert(row->address);
        const QHostAddress address(row->address);
        // The hub takes registrations on IPv4 only.
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses.append(address);
    }
    return addresses;
}

void PlayerDirectory::scanEnded(int scan)
{
    const QDateTime at = now();
    const QDate today = at.toLocalTime().date();
    const bool newDay = today != m_today;
    m_today = today;
    bool left = false;
    for (int index = count() - 1; index >= 0; --index) {
        Row &row = *m_rows[static_cast<size_t>(index)];
        const bool registered = row.registeredIn >= scan;
        if (!registered && !row.answering && row.lastSeen.addDays(forgottenAfterDays) < at) {
            remove(index);
            left = true;
            continue;
        }
        QVector<int> roles;
        // Listed during the scan, it was sent the datagram at its address.
        if (row.notSeenYet && row.listedIn <= scan) {
            row.notSeenYet = false;
            roles.append(NotSeenYetRole);
        }
        if (!registered && row.answering && row.listedIn <= scan) {
            row.answering = false;
            roles.append({AnsweringRole, LastSeenRole, LastSeenDaysAgoRole});
            // Its object is made again when it answers or is opened; the open
            // player's stays, for its screen.
            if (row.key() != m_opened)
                row.client.reset();
        } else if (newDay && !row.answering) {
            roles.append(LastSeenDaysAgoRole);
        }
        if (!roles.isEmpty())
            changed(index, roles);
    }
    if (left)
        touched(true);
}

void PlayerDirectory::remember(const QVector<RememberedPlayer> &players)
{
    const QDateTime at = now();
    std::vector<std::unique_ptr<Row>> fresh;
    QHash<Key, Row *> freshByKey;
    for (const RememberedPlayer &player : players) {
        if (player.lastSeen.addDays(forgottenAfterDays) < at)
            continue;
        const Key key(player.address, player.port);
        if (Row *row = m_byKey.value(key)) {
            // Listed already: it answered before the file was read.
            row->firstSeen = std::min(row->firstSeen, player.firstSeen);
            if (row->playingIndex < 0 && player.playingIndex >= 0) {
                row->playingIndex = player.playingIndex;
                row->playing = player.playing;
                row->playingStale = true;
                changed(indexOf(row), {PlayingIndexRole, PlayingRole, PlayingStaleRole});
            }
            touched(true);
            continue;
        }
        if (freshByKey.contains(key))
            continue;
        auto row = makeRow(player.hostName, player.address, player.port);
        row->answering = false;
        row->notSeenYet = true;
        row->listedIn = m_scan;
        row->registeredIn = -1;
        row->firstSeen = player.firstSeen;
        row->lastSeen = player.lastSeen;
        row->playingIndex = player.playingIndex;
        row->playing = player.playing;
        row->playingStale = player.playingIndex >= 0;
        freshByKey.insert(key, row.get());
        fresh.push_back(std::move(row));
    }
    // The most recently seen, as many as there is room for.
    const size_t room = size_t(std::max(0, rememberedLimit - count()));
    if (fresh.size() > room) {
        std::nth_element(fresh.begin(), fresh.begin() + long(room), fresh.end(),
                         [](const std::unique_ptr<Row> &a, const std::unique_ptr<Row> &b) {
                             return a->lastSeen > b->lastSeen;
                         });
        fresh.resize(room);
    }
    if (fresh.empty())
        return;
    std::sort(fresh.begin(), fresh.end(),
              [this](const std::unique_ptr<Row> &a, const std::unique_ptr<Row> &b) {
                  return before(*a, *b);
              });
    // Each run of new rows that stand together goes in at once.
    for (size_t first = 0; first < fresh.size();) {
        const int place = placeFor(*fresh[first]);
        size_t end = first + 1;
        while (end < fresh.size()
               && (place == count() || before(*fresh[end], *m_rows[static_cast<size_t>(place)])))
            ++end;
        beginInsertRows(QModelIndex(), place, place + int(end - first) - 1);
        for (size_t i = first; i < end; ++i) {
            m_byKey.insert(fresh[i]->key(), fresh[i].get());
            m_rows.insert(m_rows.begin() + place + long(i - first), std::move(fresh[i]));
        }
        endInsertRows();
        first = end;
    }
    emit countChanged();
}

QVector<RememberedPlayer> PlayerDirectory::remembered() const
{
    std::vector<const Row *> kept;
    kept.reserve(m_rows.size());
    for (const auto &row : m_rows)
        if (!row->address.isEmpty())
            kept.push_back(row.get());
    if (kept.size() > size_t(rememberedLimit)) {
        std::nth_element(kept.begin(), kept.begin() + rememberedLimit, kept.end(),
                         [](const Row *a, const Row *b) { return a->lastSeen > b->lastSeen; });
        kept.resize(rememberedLimit);
        std::sort(kept.begin(), kept.end(),
                  [this](const Row *a, const Row *b) { return before(*a, *b); });
    }
    QVector<RememberedPlayer> players;
    players.reserve(int(kept.size()));
    for (const Row *row : kept)
        players.append({row->hostname, row->address, row->port, row->firstSeen, row->lastSeen,
                        row->playingIndex, row->playing});
    return players;
}

void PlayerDirectory::setPlaying(const PlayerAddress &player,
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
    const bool news = row->playingIndex != playing->activeIndex || row->playing != description;
    row->playingIndex = playing->activeIndex;
    row->playing = description;
    row->playingStale = false;
    changed(indexOf(row), {PlayingIndexRole, PlayingRole, PlayingStaleRole});
    touched(news);
}

void PlayerDirectory::answeredBy(Client *client, const QJsonObject &json)
{
    if (!client)
        return;
    if (const auto playing = PlayerAnswer::readPlaying(json))
        setPlaying(Key(client->ipAddress(), client->port()), playing);
}

QVector<PlayerAddress> PlayerDirectory::playersInView() const
{
    QVector<PlayerAddress> players;
    for (const Row *row : m_inView)
        if (row->answering)
            players.append(row->key());
    return players;
}

void PlayerDirectory::setRowsInView(const QVector<int> &rows)
{
    QVector<const Row *> inView;
    inView.reserve(rows.size());
    for (const int index : rows)
        if (index >= 0 && index < count())
            inView.append(m_rows[static_cast<size_t>(index)].get());
    if (inView == m_inView)
        return;
    m_inView = inView;
    emit rowsInViewChanged();
}

bool PlayerDirectory::isSelected(int index) const
{
    return index >= 0 && index < count() && m_rows[static_cast<size_t>(index)]->selected;
}

void PlayerDirectory::setSelected(const QVector<int> &rows, bool selected)
{
    const int before = m_selectedCount;
    for (const int index : rows) {
        if (index < 0 || index >= count())
            continue;
        Row &row = *m_rows[static_cast<size_t>(index)];
        if (row.selected == selected)
            continue;
        row.selected = selected;
        m_selectedCount += selected ? 1 : -1;
        changed(index, {SelectedRole});
    }
    if (m_selectedCount != before)
        emit selectionChanged();
}

void PlayerDirectory::clearSelection()
{
    QVector<int> selected;
    for (int index = 0; index < count() && selected.size() < m_selectedCount; ++index)
        if (m_rows[static_cast<size_t>(index)]->selected)
            selected.append(index);
    setSelected(selected, false);
}

int PlayerDirectory::selectHostNames(const QStringList &hostNames)
{
    QVector<int> in, out;
    for (int index = 0; index < count(); ++index) {
        const QString &name = m_rows[static_cast<size_t>(index)]->hostname;
        const bool member
            = std::any_of(hostNames.cbegin(), hostNames.cend(), [&](const QString &n) {
                  return n.compare(name, Qt::CaseInsensitive) == 0;
              });
        (member ? in : out).append(index);
    }
    setSelected(out, false);
    setSelected(in, true);
    return in.size();
}

QVector<PlayerAddress> PlayerDirectory::selectedPlayers() const
{
    QVector<PlayerAddress> players;
    for (const auto &row : m_rows)
        if (row->selected)
            players.append(row->key());
    return players;
}

QStringList PlayerDirectory::selectedHostNames() const
{
    QStringList names;
    for (const auto &row : m_rows)
        if (row->selected)
            names.append(row->hostname);
    return names;
}

void PlayerDirectory::forgetSelected()
{
    if (m_selectedCount == 0)
        return;
    for (int index = count() - 1; index >= 0; --index)
        if (m_rows[static_cast<size_t>(index)]->selected)
            remove(index);
    touched(true);
}

QString PlayerDirectory::hostName(const PlayerAddress &player) const
{
    const Row *row = m_byKey.value(player);
    return row ? row->hostname : QString();
}

void PlayerDirectory::setSwitchOutcome(const PlayerAddress &player, const QString &outcome)
{
    Row *row = m_byKey.value(player);
    if (!row || row->switchOutcome == outcome)
        return;
    row->switchOutcome = outcome;
    changed(indexOf(row), {SwitchOutcomeRole});
}

void PlayerDirectory::clearSwitchOutcomes()
{
    for (int index = 0; index < count(); ++index) {
        Row &row = *m_rows[static_cast<size_t>(index)];
        if (!row.switchOutcome.isEmpty()) {
            row.switchOutcome.clear();
            changed(index, {SwitchOutcomeRole});
        }
    }
}

void PlayerDirectory::open(int index)
{
    if (index < 0 || index >= count())
        return;
    Row &row = *m_rows[static_cast<size_t>(index)];
    // A player remembered, or one that stopped answering, may still take
    // commands.
    if (!row.client)
        row.client = makeClient(row);
    emit openRequested(row.client.get());
}

void PlayerDirectory::forget(int index)
{
    if (index < 0 || index >= count())
        return;
    remove(index);
    touched(true);
}

void PlayerDirectory::insert(std::unique_ptr<Row> row)
{
    const int place = placeFor(*row);
    beginInsertRows(QModelIndex(), place, place);
    m_byKey.insert(row->key(), row.get());
    m_rows.insert(m_rows.begin() + place, std::move(row));
    endInsertRows();
    emit countChanged();
}

void PlayerDirectory::remove(int index)
{
    beginRemoveRows(QModelIndex(), index, index);
    const Row *row = m_rows[static_cast<size_t>(index)].get();
    const Key key = row->key();
    const bool selected = row->selected;
    const bool inView = m_inView.removeOne(row);
    m_byKey.remove(key);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
    emit countChanged();
    if (selected) {
        --m_selectedCount;
        emit selectionChanged();
    }
    if (inView)
        emit rowsInViewChanged();
    emit playerLeft(key);
}

void PlayerDirectory::dropLongestUnseen()
{
    while (count() > rememberedLimit) {
        int longest = -1;
        for (int index = 0; index < count(); ++index) {
            const Row &row = *m_rows[static_cast<size_t>(index)];
            if (!row.answering
                && (longest < 0 || row.lastSeen < m_rows[static_cast<size_t>(longest)]->lastSeen))
                longest = index;
        }
        // Every player answers: none is dropped, and the file keeps the most
        // recently seen.
        if (longest < 0)
            return;
        remove(longest);
    }
}

void PlayerDirectory::touched(bool announce)
{
    ++m_generation;
    if (announce)
        emit rememberedChanged();
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

int PlayerDirectory::moveToPlace(int index)
{
    // Every other row is in order: the place is among those before the row, or
    // among those after it.
    const Row *row = m_rows[static_cast<size_t>(index)].get();
    const auto earlier = [this](const std::unique_ptr<Row> &a, const Row *b) {
        return before(*a, *b);
    };
    const auto begin = m_rows.begin();
    const auto amongBefore = std::lower_bound(begin, begin + index, row, earlier);
    const int place = amongBefore != begin + index
        ? static_cast<int>(amongBefore - begin)
        : static_cast<int>(std::lower_bound(begin + index + 1, m_rows.end(), row, earlier) - begin)
            - 1;
    if (place == index)
        return index;
    // The row moves to its new place; it is not removed and made again.
    beginMoveRows(QModelIndex(), index, index, QModelIndex(), place > index ? place + 1 : place);
    const auto from = m_rows.begin() + index;
    const auto to = m_rows.begin() + place;
    if (place > index)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
    endMoveRows();
    return place;
}

void PlayerDirectory::changed(int index, const QVector<int> &roles)
{
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, roles);
}

#include "moc_playerdirectory.cpp"
