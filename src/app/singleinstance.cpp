#include "singleinstance.h"

#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcInstance, "quintavo.instance", QtWarningMsg)

namespace {

const QByteArray activateRequest("activate\n");

QString userKey()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

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

} // namespace

SingleInstance::SingleInstance(const QString &serverName, QObject *parent)
    : QObject(parent), m_serverName(serverName), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::takeConnections);
}

QString SingleInstance::sessionServerName(const QString &platform, const QString &display)
{
    QString name = QStringLiteral("quintavo-%1-%2-%3-%4")
                       .arg(userKey(), platform, display, networkNamespaceKey());
    // A file name: ":0.0" and the like become "_0.0".
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
}

std::optional<int> SingleInstance::claim()
{
    // Not QLocalServer's access options: with them it listens in a directory
    // of its own and moves the socket over any file of the name, an instance
    // that runs included. Without them, two launches at once cannot both win.
    if (listen())
        return std::nullopt;
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        if (const auto exitStatus = handOver())
            return exitStatus;
        // Nobody listens there: the file is left from an instance that ended
        // without removing it.
        qCDebug(lcInstance) << "Removing the stale socket" << m_serverName;
        QLocalServer::removeServer(m_serverName);
        if (listen())
            return std::nullopt;
    }
    // Two windows are better than none.
    qCWarning(lcInstance) << "Cannot listen for later launches on" << m_serverName << ":"
                          << m_server->errorString();
    return std::nullopt;
}

bool SingleInstance::listen()
{
    if (!m_server->listen(m_serverName))
        return false;
    // Only this user may ask for the window.
    QFile::setPermissions(m_server->fullServerName(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

std::optional<int> SingleInstance::handOver()
{
    // This launch has no window yet and ends here: a short event loop of its
    // own carries the request, under a deadline.
    QLocalSocket socket;
    QEventLoop loop;
    bool connected = false;
    bool ended = false;
    const auto end = [&] {
        ended = true;
        loop.quit();
    };
    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        connected = true;
        socket.write(activateRequest);
    });
    // The running instance hangs up once it has the request; a refusal ends
    // the attempt before any connection.
    connect(&socket, &QLocalSocket::disconnected, &loop, end);
    connect(&socket, &QLocalSocket::errorOccurred, &loop, [&] {
        if (!connected)
            end();
    });
    QTimer::singleShot(requestTimeout, &loop, end);
    socket.connectToServer(m_serverName);
    if (!ended)
        loop.exec();

    if (!connected)
        return std::nullopt;
    if (socket.state() == QLocalSocket::UnconnectedState) {
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
        QTimer::singleShot(requestTimeout, socket, [socket] {
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
