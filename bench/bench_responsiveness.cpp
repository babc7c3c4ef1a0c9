// Responsiveness: the longest stall of the hub's event loop (the lateness of a
// repeating 1 ms timer) while silent peers hold registration links open, while
// a command goes to an address that never answers, and while a 5,000-video
// reply arrives in 1 KiB pieces. Reference: the same timer beside an idle hub.
#include "benchsupport.h"
#include "networkmessenger.h"
#include "playerprotocol.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QPointer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <memory>

namespace {

constexpr double goalMs = 20;
constexpr int silentPeers = 60;
constexpr int pieceSize = 1024;
// On the namespace's veth subnet, but no host has it: a connect waits for ARP.
const QString nobody = QStringLiteral("10.77.0.99");
// False once a case did not happen as planned; the program then fails.
bool complete = true;

struct Setup
{
    QUdpSocket discovery; // takes the hub's datagrams
    std::unique_ptr<NetworkMessenger> hub;
    ScriptedPlayer player;
    int window = 0;

    Setup()
    {
        discovery.bind(QHostAddress::LocalHost, 0);
        hub = std::make_unique<NetworkMessenger>(Support::loopbackHub(discovery.localPort()));
    }

    // Registers a player under this address and command port and waits for it.
    void enlist(const QString &address, quint16 port)
    {
        const int before = hub->clients().size();
        player.registerWith(hub->hubPort(),
                            PlayerProtocol::encodeRegistrationRecord(
                                {port, address, QStringLiteral("player-") + address}));
        Support::waitFor([&] { return hub->clients().size() > before; }, 5000);
    }

    // The worst stall while work() runs and then until done() holds or the
    // window is over.
    double stallDuring(
        const std::function<void()> &work, const std::function<bool()> &done = [] { return false; })
    {
        StallMeter meter;
        meter.start();
        work();
        Support::waitFor(done, window);
        meter.stop();
        return meter.worstMs();
    }

    // Lets the hub finish what a case left behind (closed links) before the next.
    void settle()
    {
        Support::waitFor([] { return false; }, 50);
    }
};

double idle(Setup &setup)
{
    return setup.stallDuring([] {});
}

double silentLinks(Setup &setup)
{
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    int greeted = 0;
    const double stall = setup.stallDuring([&] {
        // In groups, so that the kernel's accept queue never overflows.
        for (int i = 0; i < silentPeers; ++i) {
            if (i % 20 == 0)
                Support::waitFor([&] { return greeted >= i; }, 1000);
            auto peer = std::make_unique<QTcpSocket>();
            QObject::connect(peer.get(), &QTcpSocket::readyRead, [&greeted] { ++greeted; });
            peer->connectToHost(QHostAddress::LocalHost, setup.hub->hubPort());
            peers.push_back(std::move(peer));
        }
    });
    peers.clear();
    setup.settle();
    if (greeted < silentPeers) {
        complete = false;
        std::fprintf(stderr, "responsiveness: %d of %d silent peers greeted\n", greeted,
                     silentPeers);
    }
    return stall;
}

double unansweredCommand(Setup &setup)
{
    return setup.stallDuring([&] { setup.hub->queryClient(nobody); });
}

double piecewiseReply(Setup &setup, const QByteArray &reply)
{
    bool answered = false;
    const auto relay = QObject::connect(
        setup.hub.get(), &NetworkMessenger::activeClientChanged, [&](const QJsonObject &json) {
            answered = json.value("quintavo").toArray().size() == 5000;
        });
    QTimer writer;
    QPointer<QTcpSocket> link;
    int sent = 0;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        if (!link || sent >= reply.size()) {
            writer.stop();
            return;
        }
        link->write(reply.mid(sent, pieceSize));
        link->flush();
        sent += pieceSize;
    });
    const auto command
        = QObject::connect(&setup.player, &ScriptedPlayer::commandReceived, [&](int index) {
              link = setup.player.link(index);
              writer.start(0); // one piece per pass
          });
    const double stall = setup.stallDuring(
        [&] { setup.hub->queryClient(QStringLiteral("127.0.0.1")); }, [&] { return answered; });
    QObject::disconnect(relay);
    QObject::disconnect(command);
    if (!answered) {
        complete = false;
        std::fprintf(stderr, "responsiveness: the reply did not arrive\n");
    }
    return stall;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool smoke = Bench::smoke();
    const int repetitions = smoke ? 1 : 7;
    Setup setup;
    setup.window = smoke ? 200 : 1000;
    setup.enlist(QStringLiteral("127.0.0.1"), setup.player.commandPort());
    const QByteArray reply = Bench::playlistReply(5000);

    const double reference = Bench::medianOf(repetitions, [&] { return idle(setup); });
    const auto row = [&](const QString &name, double figure) {
        Bench::printRow(QStringLiteral("longest stall: ") + name, figure, reference,
                        QStringLiteral("ms"), Bench::Goal::FigureBelow, goalMs);
    };
    row(QStringLiteral("%1 silent registration links").arg(silentPeers),
        Bench::medianOf(repetitions, [&] { return silentLinks(setup); }));
    row(QStringLiteral("5,000-video reply in 1 KiB pieces"),
        Bench::medianOf(repetitions, [&] { return piecewiseReply(setup, reply); }));
    // Only inside the private namespace: elsewhere this address could be real.
    const QString name = QStringLiteral("command to an address that never answers");
    if (Bench::insideNetns()) {
        setup.enlist(nobody, 7000);
        row(name, Bench::medianOf(repetitions, [&] { return unansweredCommand(setup); }));
    } else {
        Bench::printSkipped(QStringLiteral("longest stall: ") + name,
                            QStringLiteral("runs only under scripts/netns-run"));
    }
    return complete ? 0 : 1;
}
