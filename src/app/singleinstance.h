// One Quintavo per user session. The first instance takes a lock file in a
// folder of the user's own (the runtime directory on Linux, the local data
// folder on Windows), listens on a local socket and writes the socket's name
// beside the lock; a later launch finds the lock taken, reads the name, asks
// the instance there to bring its window forward, and ends. The lock, not the
// socket, decides which launch runs. On Linux the socket lies in the private
// folder, and one left by an instance that crashed is replaced. On Windows a
// pipe's name is the whole machine's and a second listen() on it does not
// fail, so the name is new at every start: nobody can take it first and
// receive the hand-over.
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

    // name: the session's name (sessionName()); the lock and the socket's name
    // take it in the user's folder.
    explicit SingleInstance(const QString &name, int requestTimeout = defaultRequestTimeout,
                            QObject *parent = nullptr);

    // The name for `display` of `platform` in this network namespace (Linux:
    // the runtime directory is shared by a user's displays and namespaces) or
    // in this Windows session.
    static QString sessionName(const QString &platform, const QString &display);

    // Becomes the running instance, or hands this launch to the one already
    // running. Gives an exit status when this process is to end: 0 when the
    // running instance took the request, 1 when it did not within the request
    // timeout. Waits (bounded) only in a launch that ends.
    std::optional<int> claim();

    // Where the running instance listens: set by claim() in the instance that
    // runs; on Linux known from the start.
    QString serverName() const { return m_serverName; }
    QString lockFileName() const { return m_lockFileName; }
    // The file that names the running instance's socket.
    QString serverNameFile() const { return m_serverNameFile; }

signals:
    // A later launch asked for the window.
    void activationRequested();

private:
    bool listen();
    int handOver();
    void takeConnections();
    void readRequest(QLocalSocket *socket);

    QString m_name;
    QString m_directory;
    QString m_serverName;
    QString m_lockFileName;
    QString m_serverNameFile;
    int m_requestTimeout;
    QLockFile m_lock;
    QLocalServer *m_server;
};
