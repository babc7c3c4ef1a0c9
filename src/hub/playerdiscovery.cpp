#include "playerdiscovery.h"

#include "broadcasttargets.h"
#include "pendingregistration.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <utility>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/socket.h>
#endif

// Warnings only, unless QT_LOGGING_RULES="quintavo.*.debug=true": every scan
// writes debug lines, and an installed program's log must not fill up with them.
Q_LOGGING_CATEGORY(lcDiscovery, "quintavo.hub", QtWarningMsg)

namespace {

// The files this process may have open, after raising the soft limit towards
// the hard one (desktops start programs at 1,024); 0 where nothing limits them.
int openFilesLimit()
{
#ifdef Q_OS_UNIX
    // Enough for every place and the rest of the program; some programs walk
    // every possible descriptor, so not the hard limit's million.
    constexpr rlim_t enough = 16384;
    rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t wanted = std::min(limit.rlim_max, enough);
    if (limit.rlim_cur < wanted) {
        rlimit raised = limit;
        raised.rlim_cur = wanted;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? 0 : int(std::min<rlim_t>(limit.rlim_cur, enough));
#else
    return 0;
#endif
}

// Half the open files go to registration links at most, the rest to the
// program's players, commands and files.
int pendingPlacesFor(int openFiles)
{
    const int byMemory = int(PlayerDiscovery::pendingMemory / PlayerDiscovery::pendingLinkCost);
    return openFiles > 0 ? std::clamp(openFiles / 2, 16, byMemory) : byMemory;
}

} // namespace

PlayerDiscovery::PlayerDiscovery(const DiscoverySettings &settings, QObject *parent)
    : QObject(parent),
      m_settings(settings),
      m_udpSocket(new QUdpSocket(this)),
      m_tcpServer(new QTcpServer(this)),
      m_hubPort(settings.hubPort),
      m_listening(false),
      m_pendingPlaces(settings.pendingPlaces > 0 ? settings.pendingPlaces
                                                 : pendingPlacesFor(openFilesLimit())),
      m_admitLater(new QTimer(this)),
      m_watch(new QTimer(this))
{
    qRegisterMetaType<PlayerProtocol::RegistrationRecord>();
    if (!listen())
        qCWarning(lcDiscovery) << "Cannot listen for players on port" << m_hubPort << ":"
                               << m_tcpServer->errorString();
    connect(m_tcpServer, &QTcpServer::newConnection, this, &PlayerDiscovery::admit);
    m_admitLater->setSingleShot(true);
    connect(m_admitLater, &QTimer::timeout, this, &PlayerDiscovery::admit);
    if (settings.watchInterval > 0) {
        connect(m_watch, &QTimer::timeout, this, &PlayerDiscovery::watch);
        m_watch->start(settings.watchInterval);
    }
}

PlayerDiscovery::~PlayerDiscovery() = default;

bool PlayerDiscovery::listen()
{
    m_listening = m_tcpServer->listen(m_settings.listenAddress, m_settings.hubPort);
    if (m_listening) {
        m_hubPort = m_tcpServer->serverPort();
        widenListenQueue();
    }
    return m_listening;
}

QList<BroadcastTargets::Interface> PlayerDiscovery::interfaces() const
{
    return m_settings.interfaces ? m_settings.interfaces() : BroadcastTargets::systemInterfaces();
}

qint64 PlayerDiscovery::wallClock() const
{
    // The wall clock goes on while the machine sleeps; the timers' clock may not.
    return m_settings.wallClock ? m_settings.wallClock() : QDateTime::currentMSecsSinceEpoch();
}

void PlayerDiscovery::watch()
{
    const qint64 now = wallClock();
    QStringList networks = BroadcastTargets::networks(interfaces());
    // The first look, on discovery's thread, only takes note.
    if (m_lastLook < 0) {
        m_lastLook = now;
        m_networks = std::move(networks);
        return;
    }
    const bool slept = now - m_lastLook > m_settings.watchInterval + sleptAfter;
    m_lastLook = now;
    const bool moved = networks != m_networks;
    m_networks = std::move(networks);
    if (slept || moved) {
        qCDebug(lcDiscovery) << (slept ? "Woke from sleep" : "The networks changed")
                             << "; scanning at once";
        emit scanDue();
    }
}

void PlayerDiscovery::scan()
{
    qCDebug(lcDiscovery) << "Scanning for Clients";
    if (!m_listening) {
        if (listen()) {
            qCDebug(lcDiscovery) << "Listening for players on port" << m_hubPort;
            emit listening(m_hubPort);
        }
    }

    const QByteArray datagram = PlayerProtocol::discoveryDatagram(m_hubPort);
    const QList<QHostAddress> targets
        = m_settings.scanTargets ? *m_settings.scanTargets : BroadcastTargets::choose(interfaces());
    if (targets.isEmpty())
        qCDebug(lcDiscovery) << "No valid broadcast network found";
    for (const QHostAddress &target : targets) {
        qCDebug(lcDiscovery).noquote() << "Broadcasting to" << target.toString();
        m_udpSocket->writeDatagram(datagram, target, m_settings.discoveryPort);
    }
    for (const QHostAddress &target : qAsConst(m_settings.extraTargets)) {
        if (targets.contains(target))
            continue;
        qCDebug(lcDiscovery).noquote() << "Also scanning at" << target.toString();
        m_udpSocket->writeDatagram(datagram, target, m_settings.discoveryPort);
    }
}

void PlayerDiscovery::sendDirect(const QList<QHostAddress> &addresses)
{
    const QByteArray datagram = PlayerProtocol::discoveryDatagram(m_hubPort);
    for (const QHostAddress &address : addresses) {
        qCDebug(lcDiscovery).noquote() << "Asking directly at" << address.toString();
        m_udpSocket->writeDatagram(datagram, address, m_settings.discoveryPort);
    }
}

void PlayerDiscovery::widenListenQueue()
{
#ifdef Q_OS_UNIX
    // Qt listens with a backlog of 50. Every player answers a scan at the same
    // moment, and connections beyond the backlog are lost on Linux: the player
    // believes itself connected and waits for a greeting that never comes.
    // Listening again on the same socket only enlarges the queue.
    ::listen(static_cast<int>(m_tcpServer->socketDescriptor()), SOMAXCONN);
#endif
}

void PlayerDiscovery::admit()
{
    while (m_tcpServer->hasPendingConnections()) {
        if (m_pending.size() >= m_pendingPlaces) {
            PendingRegistration *oldest = m_pending.first();
            const qint64 wait = registrationGrace - oldest->age();
            if (wait > 0) {
                m_admitLater->start(static_cast<int>(wait));
                return;
            }
            m_pending.removeFirst();
            oldest->drop();
            oldest->deleteLater();
        }
        QTcpSocket *socket = m_tcpServer->nextPendingConnection();
        auto *pending = new PendingRegistration(socket, m_settings.registrationDeadline, this);
        m_pending.append(pending);
        connect(pending, &PendingRegistration::registered, this,
                [this, pending](const PlayerProtocol::RegistrationRecord &record) {
                    qCDebug(lcDiscovery)
                        << record.hostName << record.addressText << "on port" << record.commandPort;
                    forget(pending);
                    emit registered(record);
                });
        connect(pending, &PendingRegistration::failed, this, [this, pending] { forget(pending); });
    }
}

void PlayerDiscovery::forget(PendingRegistration *pending)
{
    m_pending.removeOne(pending);
    pending->deleteLater();
    // A place is free for a link that waits in the listen queue.
    if (m_tcpServer->hasPendingConnections())
        admit();
}

#include "moc_playerdiscovery.cpp"
