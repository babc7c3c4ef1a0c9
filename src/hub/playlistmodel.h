// The player screen's list of videos: the entries of the open player's last
// answer, one row each, in the player's order. Rows keep their identity from
// one answer to the next (a player answers every switch command): an answer
// updates the rows that differ in place and adds or removes rows only at the
// end, so the view keeps its focus and scroll position.
#pragma once

#include "playeranswer.h"

#include <QAbstractListModel>
#include <QJsonObject>
#include <QVector>

class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT
    // The selection index the player last said it plays (0 the default video);
    // -1 before an answer, after clear(), and when the answer names no entry.
    Q_PROPERTY(int activeIndex READ activeIndex NOTIFY activeIndexChanged)
    Q_PROPERTY(QString defaultLabel READ defaultLabel CONSTANT)

public:
    enum Role {
        LabelRole = Qt::UserRole + 1, // "label": QString, the description or "Video k"
        MinutesRole, // "minutes": int, 0 when the duration is unknown
        SecondsRole, // "seconds": int, 0 to 59
        DurationKnownRole, // "durationKnown": bool
        AvailableRole, // "available": bool, the player has the video
    };

    explicit PlaylistModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int activeIndex() const { return m_activeIndex; }
    // What entry 0, above the videos, is called.
    QString defaultLabel() const;

    // Empties the list, as when another player is opened.
    void clear();

public slots:
    // Shows a player's answer as the hub relays it. An answer that does not say
    // what the player plays changes nothing; one without a playlist empties
    // the list.
    void show(const QJsonObject &answer);

signals:
    void activeIndexChanged(int activeIndex);
    // After each answer that was shown, also when nothing in it changed: the
    // player has confirmed what it plays.
    void answered();

private:
    void replaceEntries(QVector<PlayerAnswer::Entry> entries);
    void setActiveIndex(int index);

    QVector<PlayerAnswer::Entry> m_entries;
    int m_activeIndex = PlayerAnswer::noEntry;
};
