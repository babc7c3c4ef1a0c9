// The file of remembered players on disk, in the user's data location: read
// once as the hub starts, written whole and atomically (QSaveFile). A file
// that cannot be read is set aside under a name of its own (players.json.bad,
// or with the time when that is taken), named in one warning, and the run
// starts with nothing remembered; nothing in it is lost. Meant to live on a
// thread of its own, since a write waits for the disk.
#pragma once

#include "rememberedplayer.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

class PlayerStore : public QObject
{
    Q_OBJECT

public:
    // The file in the application's data folder, the same for both programs.
    static QString defaultPath();

    explicit PlayerStore(QString path, QObject *parent = nullptr);

    QString path() const { return m_path; }

    // Reads the file and announces its players: none when there is none, or
    // when it could not be read and was set aside. Writes are refused until
    // the file has been read, and for good when it could be neither read nor
    // set aside.
    void load();
    // Writes the players; false, with one warning until a write succeeds
    // again, when that fails. The file as it was stays whole.
    bool save(const QVector<RememberedPlayer> &players);

    // The players of a file, read and left as it is (quintavo-cli never
    // writes it): nothing, with the reason, when it cannot be read; none when
    // there is no file.
    static std::optional<QVector<RememberedPlayer>> read(const QString &path, QString *why);

signals:
    void loaded(const QVector<RememberedPlayer> &players);

private:
    QString setAside() const;

    QString m_path;
    bool m_writable = false;
    bool m_warnedOfWrite = false;
};
