// The players as the list on screen shows them: one row per player, a player
// being its address and command port. Rows stand in a fixed order (host name,
// case-insensitive with numbers compared as numbers, then address) and keep
// their identity across scans: a registration updates its player's row in
// place, a renamed player's row moves, a scan touches no row of a player that
// answered the one before. A player that has not registered again by the time
// of the next scan is marked as not answering, and leaves after missing
// scansBeforeLeaving scans in a row. Each row also says what its player
// plays: the player is asked when it first appears, again shortly after the
// window switched it, and otherwise at most once per refreshInterval while its
// row is in view. Fed by the hub; the scene draws it and says which rows it
// shows.
#pragma once

#include "nowplaying.h"

#include <QAbstractListModel>
#include <QCollator>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

class Client;
class QTimer;

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

    static constexpr int scansBeforeLeaving = 3;

    // How often the players of the rows in view are asked what they play,
    // how often that is looked at, and how long after a switch the player
    // is asked (it may take a moment to switch).
    struct Pace
    {
        int refreshInterval = 60000;
        int checkInterval = 5000;
        int afterSwitch = 500;
        int deadline = NowPlaying::defaultDeadline;
    };

    // Asks players what they play only when asked to (tests of the list's
    // order and presence have no players to ask).
    explicit PlayerDirectory(QObject *parent = nullptr, bool askPlayers = true);
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

    void setPace(const Pace &pace);
    // The window sent the player a switch; its row will follow.
    void switched(Client *client);
    // The player answered on its own link (the player screen's): what it
    // plays shows on its row too.
    void answeredBy(Client *client, const QJsonObject &answer);

    // The user opens the player of a row.
    Q_INVOKABLE void open(int row);
    // The rows the list shows, first to last; none (-1) while it is hidden.
    Q_INVOKABLE void setRowsInView(int first, int last);

signals:
    void countChanged();
    void rowsInViewChanged();
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
    void ask(Row *row);
    void refreshRowsInView();
    void showPlaying(Row *row, const PlayerAnswer::Playing &playing);
    void markUnanswered(const Key &key);

    QCollator m_collator;
    std::vector<std::unique_ptr<Row>> m_rows;
    QHash<Key, Row *> m_byKey;

    NowPlaying *m_nowPlaying = nullptr; // null when players are not asked
    Pace m_pace;
    QTimer *m_refresh;
    QElapsedTimer m_clock;
    int m_firstInView = -1;
    int m_lastInView = -1;
};
