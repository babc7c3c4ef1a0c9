// The rows of the player directory that the list shows: those whose host name
// or address holds the text typed on the list (all of them while there is
// none), in the directory's order. Rows keep their identity through every
// change: a row the filter lets through or holds back is inserted or removed
// alone, and a row that moves in the directory moves here, so that the
// keyboard focus, the selection and what is in view stay on their players.
// (A QSortFilterProxyModel announces a row moving in its source as a change
// of the whole layout, which makes a list view rebuild every row.)
//
// The scene speaks in the rows it shows; what it asks of a row is handed to
// the directory's row.
#pragma once

#include <QAbstractListModel>
#include <QPersistentModelIndex>
#include <QString>
#include <QVector>

class PlayerDirectory;

class PlayerFilter : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit PlayerFilter(PlayerDirectory *directory, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString text() const { return m_text; }
    void setText(const QString &text);
    int count() const { return m_rows.size(); }
    // The rows the scene says it shows; -1 while it shows none.
    int firstRowInView() const { return m_firstInView; }
    int lastRowInView() const { return m_lastInView; }

    // The directory's row of a row shown, or -1; the row shown of a
    // directory's row, or -1 when it is held back.
    int sourceRow(int row) const;
    int rowOfSource(int sourceRow) const;

    // As the directory's, for the rows shown.
    Q_INVOKABLE void open(int row);
    Q_INVOKABLE void forget(int row);
    Q_INVOKABLE int openedRow() const;
    // The rows the list shows, first to last; none (-1) while it is hidden.
    Q_INVOKABLE void setRowsInView(int first, int last);

    // The player the keyboard focus is on: the scene puts the focus back on
    // it after the filter changed, when it is shown (-1 when not).
    Q_INVOKABLE void setFocusedRow(int row);
    Q_INVOKABLE int focusedRow() const;

    // Selecting: a row toggled becomes the anchor that extendTo() selects
    // from, wherever it stands then (from `from` while there is none shown).
    Q_INVOKABLE void toggle(int row);
    Q_INVOKABLE void extendTo(int from, int to);
    // Every row shown (Ctrl+A).
    Q_INVOKABLE void selectShown();
    Q_INVOKABLE void clearSelection();
    Q_INVOKABLE void forgetSelected();

signals:
    void textChanged();
    void countChanged();

private:
    bool accepts(int sourceRow) const;
    // Where a directory's row stands or would stand among the rows shown.
    int placeOf(int sourceRow) const;
    void inserted(int first, int last);
    void aboutToBeRemoved(int first, int last);
    void removed(int first, int last);
    void moved(int first, int last, int destination);
    void dataChangedInSource(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QVector<int> &roles);
    void rebuild();
    void showInView();

    PlayerDirectory *m_directory;
    QString m_text;
    QVector<int> m_rows; // the directory's rows shown, ascending
    int m_firstInView = -1;
    int m_lastInView = -1;
    QPersistentModelIndex m_anchor; // of the directory
    QPersistentModelIndex m_focused; // of the directory
};
