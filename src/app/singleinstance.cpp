#include "singleinstance.h"

#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

Q_LOGGING_CATEGORY(lcInstance, "quintavo.instance", QtWarningMsg)

namespace {

const QByteArray activateRequest("activate\n");
// How soon a later launch asks again when the running instance, which takes
// the lock before it listens, does not listen yet.
constexpr int retryInterval = 50;

// The inode of this process's network namespace, or "" where there is none.
QString networkNamespaceKey()
{
#ifdef Q_OS_LINUX
    struct stat status
    {
    };
    if (::stat("/proc/self/ns/net", &status) == 0)
        return QString::number(status.st_ino);
#endif
    return {};
}

QString socketName(const QString &directory, const QString &name)
{
#ifdef Q_OS_WIN
    // Pipes have one namespace for the whole machine.
    Q_UNUSED(directory)
    return name + QLatin1Char('-') + qEnvironmentVariable("USERNAME");
#else
    return directory + QLatin1Char('/') + name;
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString &name, int requestTimeout, QObject *parent)
    : QObject(parent),
      m_directory(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)),
      m_serverName(socketName(m_directory, name)),
      m_lockFileName(m_directory + QLatin1Char('/') + name + QStringLiteral(".lock")),
      m_requestTimeout(requestTimeout),
      m_lock(m_lockFileName),
      m_server(new QLocalServer(this))
{
    // Held for the whole run: only an instance that has ended leaves it stale.
    m_lock.setStaleLockTime(0);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
}

QString SingleInstance::sessionName(const QString &platform, const QString &display)
{
    QString name
        = QStringLiteral("quintavo-%1-%2-%3").arg(platform, display, networkNamespaceKey());
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
    // With the lock held, whatever lies at the socket's name is left over.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        qCWarning(lcInstance) << "Cannot listen for later launches on" << m_serverName << ":"
                              << m_server->errorString();
    return std::nullopt;
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
    connect(&retry, &QTimer::timeout, &loop, [&] { socket.connectToServer(m_serverName); });
    QTimer::singleShot(m_requestTimeout, &loop, &QEventLoop::quit);
    socket.connectToServer(m_serverName);
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
