// What the Play list offers for the selected players: "Default", which every
// player has, then each description their playlists hold, with how many of
// them hold it. A description comes in at the end when the first playlist
// that holds it arrives, so that no entry moves while the list is open; only
// its count changes.
#pragma once

#include "playeranswer.h"

#include <QAbstractListModel>
#include <QHash>
#include <QString>
#include <QVector>

class SharedVideos : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        LabelRole = Qt::UserRole + 1, // as the list shows it: "Default" first, then the description
        HoldersRole, // how many of the players hold it
        PlayersRole, // how many players there are
    };
    Q_ENUM(Role)

    // Descriptions past this many are left out: playlists come from the
    // network.
    static constexpr int maximumEntries = PlayerAnswer::maximumEntries;

    explicit SharedVideos(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return m_entries.size(); }

    // Starts afresh for this many players: "Default" alone.
    void reset(int players);
    // A player's playlist came: each description it holds counts once.
    void add(const PlayerAnswer &playlist);
    QString description(int row) const;
    int holders(int row) const;

signals:
    void countChanged();

private:
    struct Entry
    {
        QString description;
        int holders = 0;
    };

    QVector<Entry> m_entries;
    QHash<QString, int> m_rowOf;
    int m_players = 0;
};
