// Carries out one request of quintavo-cli: scans and lists the players, or
// finds one player and sends it the playlist request or the switch command,
// then waits for its answer. Prints the result or one line of error and ends
// with finished(exit status).
#pragma once

#include "clirequest.h"
#include "foundplayer.h"

#include <QJsonObject>
#include <QObject>

class PlayerFinder;

class CommandRunner : public QObject
{
    Q_OBJECT

public:
    explicit CommandRunner(CliRequest request, QObject *parent = nullptr);

    // Call once the event loop runs.
    void start();

signals:
    void finished(int exitStatus);

private:
    void listFound();
    void reportUnknownPlayer();
    void sendCommand(const FoundPlayer &player);
    void takeAnswer(const QJsonObject &answer);
    void succeed(const QByteArray &output);
    void fail(int exitStatus, const QString &message);

    CliRequest m_request;
    PlayerFinder *m_finder = nullptr;
    FoundPlayer m_player;
    bool m_done = false;
};
