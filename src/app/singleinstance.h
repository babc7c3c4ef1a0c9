// One Quintavo per user session. The first instance takes a lock file in the
// user's runtime directory, which no one else may write to, and listens on a
// local socket beside it; a later launch finds the lock taken, asks the
// instance on the socket to bring its window forward, and ends. The lock, not
// the socket, decides which launch runs: a socket file left by an instance
// that crashed is replaced, and on Windows a pipe's name can be taken twice.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <optional>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // How long a later launch waits for the running instance to take its
    // request, and how long the running instance gives a caller to send it.
    static constexpr int defaultRequestTimeout = 3000;
    // A request is one short line; a caller that sends more is cut off.
    static constexpr int maximumRequestSize = 64;

    // name: the session's name (sessionName()); the lock and the socket take it
    // in the runtime directory.
    explicit SingleInstance(const QString &name, int requestTimeout = defaultRequestTimeout,
                            QObject *parent = nullptr);

    // The name for `display` of `platform` in this network namespace: the
    // runtime directory is shared by a user's displays and namespaces.
    static QString sessionName(const QString &platform, const QString &display);

    // Becomes the running instance, or hands this launch to the one already
    // running. Gives an exit status when this process is to end: 0 when the
    // running instance took the request, 1 when it did not within the request
    // timeout. Waits (bounded) only in a launch that ends.
    std::optional<int> claim();

    QString serverName() const { return m_serverName; }
    QString lockFileName() const { return m_lockFileName; }

signals:
    // A later launch asked for the window.
    void activationRequested();

private:
    int handOver();
    void takeConnections();
    void readRequest(QLocalSocket *socket);

    QString m_directory;
    QString m_serverName;
    QString m_lockFileName;
    int m_requestTimeout;
    QLockFile m_lock;
    QLocalServer *m_server;
};
