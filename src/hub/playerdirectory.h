// The players as the list on screen shows them: one row per player, a player
// being its address and command port. Rows stand in a fixed order (host name,
// case-insensitive with numbers compared as numbers, then address) and keep
// their identity across scans: a registration updates its player's row in
// place, a renamed player's row moves, a scan touches no row of a player that
// answered the one before. A player that has not registered again by the time
// of the next scan is marked as not answering, and leaves after missing
// scansBeforeLeaving scans in a row. Each row also says what its player
// plays, as far as it has said (PlayingSchedule decides when it is asked).
// Fed by the hub; the scene draws it and says which rows it shows.
#pragma once

#include "playeranswer.h"

#include <QAbstractListModel>
#include <QCollator>
#include <QHash>
#include <QJsonObject>
#include <QPair>
#include <QString>
#include <QVector>

#include <memory>
#include <optional>
#include <vector>

class Client;

class PlayerDirectory : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // The rows the scene says it shows; -1 while it shows none.
    Q_PROPERTY(int firstRowInView READ firstRowInView NOTIFY rowsInViewChanged)
    Q_PROPERTY(int lastRowInView READ lastRowInView NOTIFY rowsInViewChanged)

public:
    enum Role {
        HostnameRole = Qt::UserRole + 1,
        IpAddressRole,
        PlayerRole, // the Client, for whoever must tell two rows apart
        AnsweringRole, // false once the player has missed a scan
        // What the player plays: the selection index (0 the default video;
        // -1 until it has said), the entry's description as sent, and
        // whether that is only the last known, the player not having
        // answered since.
        PlayingIndexRole,
        PlayingRole,
        PlayingStaleRole,
    };
    Q_ENUM(Role)

    // A player: its address text and command port.
    using Player = QPair<QString, quint16>;

    static constexpr int scansBeforeLeaving = 3;

    explicit PlayerDirectory(QObject *parent = nullptr);
    ~PlayerDirectory() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return static_cast<int>(m_rows.size()); }
    int firstRowInView() const { return m_firstInView; }
    int lastRowInView() const { return m_lastInView; }

    // The player object of the row for this address text and command port, or
    // null when there is none.
    Client *client(const QString &ipAddress, quint16 port) const;
    bool holds(const Client *client) const;
    // The row of a player object, or -1.
    Q_INVOKABLE int rowOf(QObject *player) const;

    // A player registered: its row (by the client's address and port) is
    // updated, or made at its place. A row keeps the client it was made with.
    void registered(Client *client);
    // A scan begins: marks and drops the players that missed the previous one.
    void scanStarted();

    // What the player said it plays, or nothing when it did not answer:
    // what it played is then shown as the last known.
    void setPlaying(const Player &player, const std::optional<PlayerAnswer::Playing> &playing);
    // The player answered on its own link (the player screen's): what it
    // plays shows on its row too.
    void answeredBy(Client *client, const QJsonObject &answer);
    // The players of the rows in view, first to last.
    QVector<Player> playersInView() const;

    // The user opens the player of a row.
    Q_INVOKABLE void open(int row);
    // The rows the list shows, first to last; none (-1) while it is hidden.
    Q_INVOKABLE void setRowsInView(int first, int last);

signals:
    void countChanged();
    void rowsInViewChanged();
    void openRequested(Client *client);
    // A player was listed, or left the list.
    void playerAppeared(const PlayerDirectory::Player &player);
    void playerLeft(const PlayerDirectory::Player &player);

private:
    struct Row;
    using Key = Player;

    bool before(const Row &a, const Row &b) const;
    int indexOf(const Row *row) const;
    // Where a new row goes.
    int placeFor(const Row &row) const;
    // Where the row at index goes after its name changed.
    int placeFor(int index) const;
    void changed(int index, const QVector<int> &roles);

    QCollator m_collator;
    std::vector<std::unique_ptr<Row>> m_rows;
    QHash<Key, Row *> m_byKey;
    int m_firstInView = -1;
    int m_lastInView = -1;
};
