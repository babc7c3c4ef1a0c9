// The players as the list on screen shows them, and as the application
// remembers them from one run to the next: one row per player, a player being
// its address and command port. Rows stand in a fixed order (host name,
// case-insensitive with numbers compared as numbers, then address) and keep
// their identity across scans: a registration updates its player's row in
// place, a renamed player's row moves, a scan touches no row of a player that
// answered the one before.
//
// Presence is decided per scan: a player that has not registered since the
// broadcast by directAfter ms later is sent the datagram at its own address
// (once a scan), and one that has registered neither way by answerDeadline
// is marked as not answering. Scans may overlap (F5): each has its own. It stays listed, dimmed,
// with the time it was last seen, until the user forgets it, until it has been unseen for
// forgottenAfterDays, or until more than rememberedLimit players are listed
// and it is the longest unseen. A registration under the host name of one
// player that is not answering, while no answering player has that name,
// takes over that player's row: the player moved to another address.
//
// Each row also says what its player plays, as far as it has said
// (PlayingSchedule decides when it is asked). Fed by the hub; the scene draws
// it (through PlayerFilter, which also says which rows it shows).
//
// Rows may be selected, to act on several players at once: the mark is the
// row's, so it follows its player through scans, moves and renames, and goes
// when the player leaves. A row also says what came of the latest switch of
// several players (SelectionPlay), until the selection is cleared.
#pragma once

#include "playeraddress.h"
#include "playeranswer.h"
#include "rememberedplayer.h"

#include <QAbstractListModel>
#include <QCollator>
#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Client;

class PlayerDirectory : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionChanged)

public:
    enum Role {
        HostnameRole = Qt::UserRole + 1,
        IpAddressRole,
        AnsweringRole, // false from the round it missed until it answers
        // Remembered from an earlier run and not answering yet: until it
        // answers, or until the first round's verdict.
        NotSeenYetRole,
        // When it last answered (local time), and how many days before today
        // that was (0 today, 1 yesterday, ...). Announced as a player stops
        // answering and at the first verdict of a day, not at every answer.
        LastSeenRole,
        LastSeenDaysAgoRole,
        // What the player plays: the selection index (0 the default video;
        // -1 until it has said), the entry as the list labels it (empty until
        // the player has said), and whether that is only the last known, the
        // player not having answered since.
        PlayingIndexRole,
        PlayingRole,
        PlayingStaleRole,
        SelectedRole,
        // What came of the latest switch of the selected players: empty, or
        // "switching" and then SwitchOutcome::kindName of the outcome.
        SwitchOutcomeRole,
    };
    Q_ENUM(Role)

    // The steps of a scan: the datagram at a player's own address this long
    // after the broadcast, and the verdict on who is not answering.
    static constexpr int directAfter = 2000;
    static constexpr int answerDeadline = 4000;
    static constexpr int forgottenAfterDays = 30;
    static constexpr int rememberedLimit = 1000;

    explicit PlayerDirectory(QObject *parent = nullptr);
    ~PlayerDirectory() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return static_cast<int>(m_rows.size()); }
    int selectedCount() const { return m_selectedCount; }

    // The player object of the row for this address text and command port, or
    // null when there is none (no such row, or a remembered player not yet
    // registered or opened).
    Client *client(const QString &ipAddress, quint16 port) const;
    // The row of a player object's address and port, or -1.
    int rowOf(const Client *player) const;
    // The player the hub opened last, and its row wherever it stands now
    // (-1 when it has none).
    void setOpened(const Client *player);
    Q_INVOKABLE int openedRow() const;

    // The time now, in UTC (tests set it).
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // A player registered: its row (by address text and port) is updated,
    // taken over, or made at its place. Gives the player object for the
    // hub's list of this scan: the row's own, which it keeps while the player
    // answers or is the open one, or, for a second registration between two
    // scans, an object of its own that lasts until the next scan.
    Client *registered(const QString &hostName, const QString &address, quint16 port);

    // A scan begins with the broadcast; gives its number. The objects of the
    // previous scan's second registrations go.
    int scanStarted();
    // The addresses of the players that have not registered since that scan
    // began and have not been sent the datagram at their own address for it
    // or a later one, each address once; they count as sent now.
    QList<QHostAddress> unanswered(int scan);
    // The scan's verdict: who has not registered since it began is not
    // answering. Players unseen for too long leave.
    void scanEnded(int scan);
    int latestScan() const { return m_scan; }

    // The players remembered from an earlier run, listed as not seen yet;
    // rows already listed keep what they know and take the first sighting.
    void remember(const QVector<RememberedPlayer> &players);
    // What is to be remembered: every row, at most rememberedLimit of them,
    // the most recently seen.
    QVector<RememberedPlayer> remembered() const;
    // Bumped by every change to what is remembered, whether or not announced.
    quint64 generation() const { return m_generation; }

    // What the player said it plays, or nothing when it did not answer:
    // what it played is then shown as the last known.
    void setPlaying(const PlayerAddress &player,
                    const std::optional<PlayerAnswer::Playing> &playing);
    // The player answered on its own link (the player screen's): what it
    // plays shows on its row too.
    void answeredBy(Client *client, const QJsonObject &answer);
    // The players of the rows in view that answer, first to last.
    QVector<PlayerAddress> playersInView() const;
    bool hasRowsInView() const { return !m_inView.isEmpty(); }
    // The rows the list shows, first to last; none while it is hidden.
    void setRowsInView(const QVector<int> &rows);

    bool isSelected(int row) const;
    // Marks or unmarks these rows.
    void setSelected(const QVector<int> &rows, bool selected);
    void clearSelection();
    // Selects exactly the rows of these host names, compared as the network
    // compares them (whatever their case); gives how many rows that is.
    int selectHostNames(const QStringList &hostNames);
    // The selected players and their host names, in the list's order.
    QVector<PlayerAddress> selectedPlayers() const;
    QStringList selectedHostNames() const;
    void forgetSelected();
    QString hostName(const PlayerAddress &player) const;
    // What came of a switch of the player (see SwitchOutcomeRole); empty to
    // clear it.
    void setSwitchOutcome(const PlayerAddress &player, const QString &outcome);
    void clearSwitchOutcomes();

    // The user opens the player of a row.
    Q_INVOKABLE void open(int row);
    // The user forgets the player of a row: it leaves the list and what is
    // remembered.
    Q_INVOKABLE void forget(int row);

signals:
    void countChanged();
    void rowsInViewChanged();
    void selectionChanged();
    void openRequested(Client *client);
    // A player appeared on the network: a new row, or one that was not
    // answering answered. It left the list (or the row went to another
    // address).
    void playerAppeared(const PlayerAddress &player);
    void playerLeft(const PlayerAddress &player);
    // What is remembered changed: a player came, went, moved, was renamed,
    // played something else, or was seen in a minute later than before.
    // Times seen within the same minute bump generation() only.
    void rememberedChanged();

private:
    struct Row;
    using Key = PlayerAddress;
    struct LaterDeleter
    {
        void operator()(Client *client) const;
    };
    static std::unique_ptr<Client, LaterDeleter> makeClient(const Row &row);

    QDateTime now() const { return m_now ? m_now() : QDateTime::currentDateTimeUtc(); }
    std::unique_ptr<Row> makeRow(const QString &hostName, const QString &address,
                                 quint16 port) const;
    bool before(const Row &a, const Row &b) const;
    int indexOf(const Row *row) const;
    // Where a new row goes.
    int placeFor(const Row &row) const;
    // Moves the row at index to its place after its name or address changed;
    // gives the new index.
    int moveToPlace(int index);
    void insert(std::unique_ptr<Row> row);
    void remove(int index);
    Row *movedPlayer(const QString &hostName) const;
    void takeOver(Row *row, const Key &key);
    void dropLongestUnseen();
    void changed(int index, const QVector<int> &roles);
    void touched(bool announce);

    QCollator m_collator;
    std::vector<std::unique_ptr<Row>> m_rows;
    QHash<Key, Row *> m_byKey;
    std::optional<Key> m_opened;
    QVector<const Row *> m_inView;
    int m_selectedCount = 0;
    std::vector<std::unique_ptr<Client, LaterDeleter>> m_duplicates;
    std::function<QDateTime()> m_now;
    quint64 m_generation = 0;
    int m_scan = 0; // the latest scan's number
    QDate m_today; // of the latest verdict, for the days since a player was seen
};
