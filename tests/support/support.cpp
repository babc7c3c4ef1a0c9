#include "support.h"

#include "applicationsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

namespace Support {

HubSettings loopbackHub(quint16 discoveryPort)
{
    HubSettings settings;
    settings.discoveryPort = discoveryPort;
    settings.hubPort = 0;
    settings.listenAddress = QHostAddress(QHostAddress::LocalHost);
    settings.scanTargets = QList<QHostAddress> {QHostAddress(QHostAddress::LocalHost)};
    settings.checkForUpdate = false;
    // Tests register players at addresses where nothing answers.
    settings.askWhatPlayersPlay = false;
    return settings;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    // Only events change what done() looks at: sleep until the next one, and
    // let a timer wake the loop when time is up.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    while (!done()) {
        if (!wake.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // As a running event loop does; processEvents alone leaves them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

qint64 procField(const char *file, const char *field)
{
    QFile proc(QStringLiteral("/proc/self/") + QLatin1String(file));
    if (!proc.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QNetworkAddressEntry entry(const QString &ip, const QString &broadcast)
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(ip));
    if (!broadcast.isEmpty())
        e.setBroadcast(QHostAddress(broadcast));
    return e;
}

std::unique_ptr<QTcpSocket> refusingPort()
{
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->bind(QHostAddress::LocalHost, 0))
        qFatal("cannot bind a loopback port");
    return socket;
}

SettingsSandbox::SettingsSandbox()
{
    if (!m_folder.isValid())
        qFatal("no folder for the settings");
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, m_folder.path());
    ApplicationSettings settings;
#ifndef Q_OS_WIN
    QDir().mkpath(QFileInfo(settings.fileName()).path());
#endif
    for (const QString &key : settings.allKeys())
        m_kept.insert(key, settings.value(key));
}

SettingsSandbox::~SettingsSandbox()
{
    ApplicationSettings settings;
    settings.clear();
    for (auto kept = m_kept.cbegin(); kept != m_kept.cend(); ++kept)
        settings.setValue(kept.key(), kept.value());
}

} // namespace Support
