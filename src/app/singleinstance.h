// One Quintavo per user session. The first instance listens on a local socket
// named after the user, the display and the network namespace; a later launch
// finds it there, asks it to bring its window forward, and ends.
#pragma once

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
    static constexpr int requestTimeout = 3000;
    // A request is one short line; a caller that sends more is cut off.
    static constexpr int maximumRequestSize = 64;

    explicit SingleInstance(const QString &serverName, QObject *parent = nullptr);

    // The server name for this user on `display` of `platform` in this network
    // namespace. Local sockets are files in the temporary directory, which
    // network namespaces share; instances in separate namespaces or on
    // separate displays are separate sessions.
    static QString sessionServerName(const QString &platform, const QString &display);

    // Becomes the running instance, or hands this launch to the one already
    // running. Gives an exit status when this process is to end: 0 when the
    // running instance took the request, 1 when it did not answer in time.
    // Waits (bounded) only in a launch that ends.
    std::optional<int> claim();

    QString serverName() const { return m_serverName; }

signals:
    // A later launch asked for the window.
    void activationRequested();

private:
    bool listen();
    std::optional<int> handOver();
    void takeConnections();
    void readRequest(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server;
};
