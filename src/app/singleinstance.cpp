#include "singleinstance.h"

#include "applicationsettings.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUuid>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

Q_LOGGING_CATEGORY(lcInstance, "quintavo.instance", QtWarningMsg)

namespace {

const QByteArray activateRequest("activate\n");
// How soon a later launch asks again when the running instance, which takes
// the lock before it listens, does not listen yet.
constexpr int retryInterval = 50;
// A socket's name is one short line.
constexpr qint64 maximumNameSize = 256;

// What tells this launch's session apart from the user's others: the network
// namespace's inode on Linux, the Windows session's number, or "".
QString sessionKey()
{
#if defined(Q_OS_LINUX)
    struct stat status
    {
    };
    if (::stat("/proc/self/ns/net", &status) == 0)
        return QString::number(status.st_ino);
#elif defined(Q_OS_WIN)
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return QString::number(session);
#endif
    return {};
}

// A folder only the user may write to.
QString instanceDirectory()
{
#ifdef Q_OS_WIN
    // The runtime location is the home folder there.
    const QString directory = ApplicationSettings::dataLocation();
    return QDir().mkpath(directory) ? directory : QString();
#else
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
}

QString newServerName(const QString &directory, const QString &name)
{
#ifdef Q_OS_WIN
    Q_UNUSED(directory)
    return name + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces);
#else
    return directory + QLatin1Char('/') + name;
#endif
}

QString readServerName(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readLine(maximumNameSize)).trimmed();
}

} // namespace

SingleInstance::SingleInstance(const QString &name, int requestTimeout, QObject *parent)
    : QObject(parent),
      m_name(name),
      m_directory(instanceDirectory()),
      m_lockFileName(m_directory + QLatin1Char('/') + name + QStringLiteral(".lock")),
      m_serverNameFile(m_directory + QLatin1Char('/') + name + QStringLiteral(".socket")),
      m_requestTimeout(requestTimeout),
      m_lock(m_lockFileName),
      m_server(new QLocalServer(this))
{
#ifndef Q_OS_WIN
    m_serverName = newServerName(m_directory, m_name);
#endif
    // Held for the whole run: only an instance that has ended leaves it stale.
    m_lock.setStaleLockTime(0);
    // Nobody but the user may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
}

QString SingleInstance::sessionName(const QString &platform, const QString &display)
{
    QString name = QStringLiteral("quintavo-%1-%2-%3").arg(platform, display, sessionKey());
    // A file name: ":0.0" and the like become "_0.0".
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
}

std::optional<int> SingleInstance::claim()
{
    if (m_directory.isEmpty() || !m_lock.tryLock(0)) {
        if (!m_directory.isEmpty() && m_lock.error() == QLockFile::LockFailedError)
            return handOver();
        // Two windows are better than none.
        qCWarning(lcInstance) << "Cannot take the lock" << m_lockFileName
                              << "; later launches will open windows of their own";
        return std::nullopt;
    }
    if (!listen())
        qCWarning(lcInstance) << "Cannot listen for later launches on" << m_serverName << ":"
                              << m_server->errorString();
    return std::nullopt;
}

bool SingleInstance::listen()
{
    if (m_serverName.isEmpty())
        m_serverName = newServerName(m_directory, m_name);
    // With the lock held, whatever lies at the socket's name is left over.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        return false;
    QSaveFile out(m_serverNameFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(m_serverName.toUtf8() + '\n') <= 0
        || !out.commit())
        qCWarning(lcInstance) << "Cannot write" << m_serverNameFile << ":" << out.errorString();
    return true;
}

int SingleInstance::handOver()
{
    // This launch has no window yet and ends here: a short event loop of its
    // own carries the request, under a deadline.
    QLocalSocket socket;
    QEventLoop loop;
    QTimer retry;
    retry.setSingleShot(true);
    retry.setInterval(retryInterval);
    bool connected = false;
    bool taken = false;
    // The running instance names its socket once it listens.
    const auto connectToInstance = [&] {
        const QString name = readServerName(m_serverNameFile);
        if (name.isEmpty())
            retry.start();
        else
            socket.connectToServer(name);
    };
    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        connected = true;
        socket.write(activateRequest);
    });
    // The running instance hangs up once it has the request.
    connect(&socket, &QLocalSocket::disconnected, &loop, [&] {
        taken = connected;
        loop.quit();
    });
    connect(&socket, &QLocalSocket::errorOccurred, &loop, [&] {
        if (!connected)
            retry.start();
    });
    connect(&retry, &QTimer::timeout, &loop, connectToInstance);
    QTimer::singleShot(m_requestTimeout, &loop, &QEventLoop::quit);
    connectToInstance();
    loop.exec();

    if (taken) {
        qCDebug(lcInstance) << "Quintavo is already running; its window was asked forward";
        return 0;
    }
    qCWarning(lcInstance) << "Quintavo is already running but does not answer";
    return 1;
}

void SingleInstance::takeConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // A caller that never sends its request is not kept waiting for.
        QTimer::singleShot(m_requestTimeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= maximumRequestSize)
            socket->abort();
        return;
    }
    if (socket->readLine(maximumRequestSize) == activateRequest)
        emit activationRequested();
    socket->disconnectFromServer();
}
