// The groups of players as the window shows them, buttons above the list:
// PlayerGroups (the settings file) as a list model by name. A group is saved
// from the selected rows' host names, and a tap on one selects its members
// by host name, wherever they stand and whatever address they have now.
// Each change is announced as the rows it inserts, removes or changes, so
// that the other buttons stay where they are.
#pragma once

#include "playergroups.h"

#include <QAbstractListModel>
#include <QString>

class PlayerDirectory;

class GroupList : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        NameRole = Qt::UserRole + 1,
    };
    Q_ENUM(Role)

    explicit GroupList(PlayerDirectory *directory, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return m_groups.size(); }

    // Each gives what came of it: "done", "bad name", "no members", "name
    // taken", "no such group" or "not written".
    // The selected players, as a group of that name (replacing one of that
    // name, whatever its case).
    Q_INVOKABLE QString saveSelection(const QString &name);
    Q_INVOKABLE QString rename(int row, const QString &newName);
    Q_INVOKABLE QString remove(int row);
    Q_INVOKABLE QString nameAt(int row) const;
    // Selects exactly the members of the group at that row; gives how many
    // rows that is.
    Q_INVOKABLE int select(int row);
    // The settings file is read again (another program may have changed it).
    Q_INVOKABLE void reload();

signals:
    void countChanged();

private:
    QString changed(PlayerGroups::Change change);

    PlayerDirectory *m_directory;
    PlayerGroups m_store;
    QList<PlayerGroups::Group> m_groups; // as shown
};
