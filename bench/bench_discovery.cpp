// Discovery: from a scan to the N-th clientsUpdated, with N scripted players on
// loopback that hear the datagram, connect (at most 50 at a time), take the
// greeting and send their record; and how many of 1,000 players that all
// connect at once are listed within 5 s. Reference: the same datagram and
// exchanges with a bare server that only greets and reads the record.
// The flood: a real player's wait for its greeting while 1,100 idle links hold
// the hub port and never send a record, against the wait with none.
#include "benchsupport.h"
#include "networkmessenger.h"
#include "playerprotocol.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Loopback's broadcast address: every player socket on the shared port hears it.
const QHostAddress everyPlayer(QStringLiteral("127.255.255.255"));
// Connects in flight at once in the timed rows: what Qt 5's accept queue holds.
constexpr int backlog = 50;

// A server with none of the hub: greets, reads one record, closes.
class BareServer : public QObject
{
public:
    BareServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, &BareServer::accept);
    }
    quint16 port() const { return m_server.serverPort(); }
    int records = 0;

private:
    void accept()
    {
        while (QTcpSocket *link = m_server.nextPendingConnection()) {
            link->write(PlayerProtocol::greeting());
            connect(link, &QTcpSocket::readyRead, this, [this, link] {
                m_received[link] += link->readAll();
                if (!PlayerProtocol::parseRegistrationRecord(m_received[link]))
                    return;
                m_received.remove(link);
                ++records;
                link->abort();
                link->deleteLater();
            });
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_received;
};

// Lets at most `width` players connect at a time, the others when one is done.
// Qt 5 listens with a backlog of 50: a burst of more simultaneous connects
// overflows the kernel's accept queue, and a player whose handshake is then
// dropped waits for a greeting that never comes (see the burst row).
class Gate : public QObject
{
public:
    explicit Gate(int width) : m_width(width) { }
    void add(ScriptedPlayer *player)
    {
        connect(player, &ScriptedPlayer::invited, this,
                [this, player](const QHostAddress &hub, quint16 port) {
                    m_hub = hub;
                    m_port = port;
                    m_waiting.append(player);
                    next();
                });
        connect(player, &ScriptedPlayer::registrationClosed, this, [this, player] {
            if (m_connecting.remove(player))
                next();
        });
    }

private:
    void next()
    {
        while (m_connecting.size() < m_width && !m_waiting.isEmpty()) {
            ScriptedPlayer *player = m_waiting.takeFirst();
            m_connecting.insert(player);
            player->answer(m_hub, m_port);
        }
    }

    const int m_width;
    QHostAddress m_hub;
    quint16 m_port = 0;
    QList<ScriptedPlayer *> m_waiting;
    QSet<ScriptedPlayer *> m_connecting;
};

QList<ScriptedPlayer *> makePlayers(int count, Gate *gate, QObject *parent)
{
    QList<ScriptedPlayer *> players;
    quint16 port = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray record = PlayerProtocol::encodeRegistrationRecord(
            {quint16(9000 + i), QStringLiteral("127.0.0.1"), QStringLiteral("player-%1").arg(i)});
        auto *player = new ScriptedPlayer(parent);
        if (!player->hearScans(port, record, !gate))
            qFatal("cannot bind the players' discovery port");
        if (gate)
            gate->add(player);
        port = player->scanPort();
        players.append(player);
    }
    return players;
}

bool allIdle(const QList<ScriptedPlayer *> &players)
{
    return std::all_of(players.cbegin(), players.cend(),
                       [](auto *p) { return p->registrations().isEmpty(); });
}

void abortAll(const QList<ScriptedPlayer *> &players)
{
    for (ScriptedPlayer *player : players)
        player->dropRegistrations();
}

// Players listed in a round, and the ms from the scan to the last of them.
struct Round
{
    int listed = 0;
    double ms = 0;
};

Round hubRound(NetworkMessenger &hub, const QList<ScriptedPlayer *> &players, int timeoutMs)
{
    Round round;
    const auto counter = QObject::connect(&hub, &NetworkMessenger::clientsUpdated, [&] {
        ++round.listed;
        hub.clients(); // as the scene does after each update
    });
    QElapsedTimer clock;
    clock.start();
    hub.scanForClients();
    Support::waitFor([&] { return round.listed >= players.size(); }, timeoutMs);
    round.ms = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(counter);
    Support::waitFor([&] { return allIdle(players); }, 1000);
    abortAll(players);
    return round;
}

Round bareRound(const QList<ScriptedPlayer *> &players, quint16 discoveryPort, int timeoutMs)
{
    BareServer server;
    QUdpSocket udp;
    QElapsedTimer clock;
    clock.start();
    udp.writeDatagram(PlayerProtocol::discoveryDatagram(server.port()), everyPlayer, discoveryPort);
    Support::waitFor([&] { return server.records >= players.size(); }, timeoutMs);
    const Round round {server.records, clock.nsecsElapsed() / 1e6};
    Support::waitFor([&] { return allIdle(players); }, 1000);
    abortAll(players);
    return round;
}

// Medians of hub and bare rounds, alternating.
std::pair<Round, Round> measure(int count, int repetitions, Gate *gate, int timeoutMs)
{
    QObject owner;
    const QList<ScriptedPlayer *> players = makePlayers(count, gate, &owner);
    const quint16 discoveryPort = players.first()->scanPort();
    HubSettings settings = Support::loopbackHub(discoveryPort);
    settings.scanTargets = QList<QHostAddress> {everyPlayer};
    NetworkMessenger hub(settings);
    // The hub's first scan, from its constructor, and one bare round warm up.
    Support::waitFor([&] { return hub.clients().size() >= count; }, timeoutMs);
    abortAll(players);
    bareRound(players, discoveryPort, timeoutMs);

    QVector<double> hubMs, bareMs, hubListed, bareListed;
    for (int i = 0; i < repetitions; ++i) {
        const Round hubFigure = hubRound(hub, players, timeoutMs);
        const Round bareFigure = bareRound(players, discoveryPort, timeoutMs);
        hubMs.append(hubFigure.ms);
        hubListed.append(hubFigure.listed);
        bareMs.append(bareFigure.ms);
        bareListed.append(bareFigure.listed);
    }
    return {Round {int(Bench::median(hubListed)), Bench::median(hubMs)},
            Round {int(Bench::median(bareListed)), Bench::median(bareMs)}};
}

// Ms from a player's connect to its greeting while `idle` links that never
// send a record hold the hub port; -1 if it was not greeted. places: the
// hub's pending places, 0 for its own choice.
double greetingDuring(int idle, int places)
{
    QUdpSocket discovery;
    discovery.bind(QHostAddress::LocalHost, 0);
    HubSettings settings = Support::loopbackHub(discovery.localPort());
    settings.pendingPlaces = places;
    NetworkMessenger hub(settings);
    std::vector<std::unique_ptr<QTcpSocket>> links;
    int connected = 0;
    for (int i = 0; i < idle; ++i) {
        auto link = std::make_unique<QTcpSocket>();
        QObject::connect(link.get(), &QTcpSocket::connected, [&connected] { ++connected; });
        link->connectToHost(QHostAddress::LocalHost, hub.hubPort());
        links.push_back(std::move(link));
    }
    if (!Support::waitFor([&] { return connected == idle; }, 30000))
        return -1;
    QTcpSocket player;
    bool greeted = false;
    QObject::connect(&player, &QTcpSocket::readyRead, [&greeted] { greeted = true; });
    QElapsedTimer clock;
    clock.start();
    player.connectToHost(QHostAddress::LocalHost, hub.hubPort());
    Support::waitFor([&] { return greeted; }, 60000);
    return greeted ? clock.nsecsElapsed() / 1e6 : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool smoke = Bench::smoke();
    const int repetitions = smoke ? 1 : 7;
    QList<int> counts = smoke ? QList<int> {1, 10} : QList<int> {1, 50, 200};
    if (const int at = app.arguments().indexOf(QStringLiteral("--players")); at > 0)
        counts = {app.arguments().value(at + 1).toInt()};

    bool complete = true;
    for (int count : counts) {
        Gate gate(backlog);
        const auto [hub, bare] = measure(count, repetitions, &gate, 30000);
        complete = complete && hub.listed == count && bare.listed == count;
        Bench::printRow(QStringLiteral("discovery, %1: scan to last clientsUpdated")
                            .arg(count == 1 ? QStringLiteral("1 player")
                                            : QStringLiteral("%1 players").arg(count)),
                        hub.ms, bare.ms, QStringLiteral("ms"));
    }

    // All at once, as a broadcast makes them: how many get through in 5 s.
    const int burst = smoke ? 10 : 1000;
    const auto [hub, bare] = measure(burst, smoke ? 1 : 3, nullptr, 5000);
    Bench::printRow(QStringLiteral("discovery, %1 players at once: listed within 5 s")
                        .arg(QLocale(QLocale::English).toString(burst)),
                    hub.listed, bare.listed, QStringLiteral("players"), Bench::Goal::FigureAtLeast,
                    burst);

    // --places N: the hub's pending places, to compare with a smaller cap.
    const int places = app.arguments().contains(QStringLiteral("--places"))
        ? app.arguments().value(app.arguments().indexOf(QStringLiteral("--places")) + 1).toInt()
        : 0;
    const int flood = smoke ? 100 : 1100;
    const double flooded
        = Bench::medianOf(repetitions, [&] { return greetingDuring(flood, places); });
    const double calm = Bench::medianOf(repetitions, [&] { return greetingDuring(0, places); });
    complete = complete && flooded >= 0 && calm >= 0;
    Bench::printRow(QStringLiteral("flood: a player's greeting during %1 idle links")
                        .arg(QLocale(QLocale::English).toString(flood)),
                    flooded, calm, QStringLiteral("ms"), Bench::Goal::FigureBelow, 2000);
    return complete ? 0 : 1;
}
