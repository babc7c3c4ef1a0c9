#include "playerstore.h"

#include "applicationsettings.h"
#include "playerfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <utility>

Q_LOGGING_CATEGORY(lcStore, "quintavo.hub", QtWarningMsg)

QString PlayerStore::defaultPath()
{
    return ApplicationSettings::dataLocation() + QStringLiteral("/players.json");
}

PlayerStore::PlayerStore(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    qRegisterMetaType<QVector<RememberedPlayer>>();
}

std::optional<QVector<RememberedPlayer>> PlayerStore::read(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.exists())
        return QVector<RememberedPlayer>();
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    // One byte more than allowed tells a file that is too large.
    return PlayerFile::decode(file.read(PlayerFile::maximumSize + 1), why);
}

void PlayerStore::load()
{
    QString why;
    auto players = read(m_path, &why);
    if (!players) {
        const QString aside = setAside();
        if (aside.isEmpty()) {
            qCWarning(lcStore).noquote()
                << "Cannot read the remembered players in" << m_path << "(" + why + ")"
                << "nor move the file aside; nothing is remembered in this run";
        } else {
            m_writable = true;
            qCWarning(lcStore).noquote()
                << "Cannot read the remembered players in" << m_path << "(" + why + "); the file"
                << "is now" << aside << "and the players are remembered anew";
        }
        players.emplace();
    } else {
        m_writable = true;
    }
    emit loaded(*players);
}

QString PlayerStore::setAside() const
{
    // An older file set aside is kept: the next name takes the time.
    QString aside = m_path + QStringLiteral(".bad");
    const QString stamp
        = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; QFileInfo::exists(aside) && attempt < 100; ++attempt)
        aside = m_path + QStringLiteral(".bad-") + stamp
            + (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString());
    return QFile::rename(m_path, aside) ? aside : QString();
}

bool PlayerStore::save(const QVector<RememberedPlayer> &players)
{
    if (!m_writable)
        return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    // A write cut short (a full disk) is no error to QSaveFile, whose commit
    // would then put the part in the file's place: it is not committed.
    const QByteArray bytes = PlayerFile::encode(players);
    const bool saved
        = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!saved && !m_warnedOfWrite)
        qCWarning(lcStore).noquote()
            << "Cannot write the remembered players to" << m_path << "(" + file.errorString() + ")";
    m_warnedOfWrite = !saved;
    return saved;
}

#include "moc_playerstore.cpp"
