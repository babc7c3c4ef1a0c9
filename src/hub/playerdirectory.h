// The players as the list on screen shows them: one row per player, a player
// being its address and command port. Rows stand in a fixed order (host name,
// case-insensitive with numbers compared as numbers, then address) and keep
// their identity across scans: a registration updates its player's row in
// place, a renamed player's row moves, a scan touches no row of a player that
// answered the one before. A player that has not registered again by the time
// of the next scan is marked as not answering, and leaves after missing
// scansBeforeLeaving scans in a row. Fed by the hub; the scene draws it.
#pragma once

#include <QAbstractListModel>
#include <QCollator>
#include <QHash>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

class Client;

class PlayerDirectory : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        HostnameRole = Qt::UserRole + 1,
        IpAddressRole,
        PlayerRole, // the Client, for whoever must tell two rows apart
        AnsweringRole, // false once the player has missed a scan
    };
    Q_ENUM(Role)

    static constexpr int scansBeforeLeaving = 3;

    explicit PlayerDirectory(QObject *parent = nullptr);
    ~PlayerDirectory() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return static_cast<int>(m_rows.size()); }

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

    // The user opens the player of a row.
    Q_INVOKABLE void open(int row);

signals:
    void countChanged();
    void openRequested(Client *client);

private:
    struct Row;
    using Key = QPair<QString, quint16>;

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
};
