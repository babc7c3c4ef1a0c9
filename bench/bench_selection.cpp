// Several screens at once, with the scene shown as the application shows it
// (software rendering, offscreen unless a display is chosen):
// - 50 players selected, their playlists in (the Play list open), one entry
//   chosen through SelectionPlay: from the choice to the last answer, and the
//   GUI thread's processor time in that span, against "Default" (the same
//   switches, each to index 0); and the time from opening Play to the last
//   playlist in, four at a time;
// - 1,000 rows, a letter typed on the list that leaves a fifth of them: the
//   GUI thread's time from the key to the next frame, against Down (the focus
//   moved one row); and Backspace, which brings them all back.
#include "applicationinfo.h"
#include "benchsupport.h"
#include "client.h"
#include "grouplist.h"
#include "networkmessenger.h"
#include "playerdirectory.h"
#include "playerfilter.h"
#include "playlistmodel.h"
#include "qtquick2applicationviewer.h"
#include "roworder.h"
#include "selectionplay.h"
#include "sharedvideos.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlContext>
#include <QUdpSocket>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Span
{
    double ms = 0;
    double cpuMs = 0;
};

// The application's scene over a hub on loopback.
class Window
{
public:
    Window() : m_hub(Support::loopbackHub(discoveryPort()))
    {
        QQmlContext *context = m_viewer.rootContext();
        context->setContextProperty(QStringLiteral("networkMessenger"), &m_hub);
        context->setContextProperty(QStringLiteral("applicationVersion"),
                                    QVariant(ApplicationInfo::quintavo().versionText()));
        context->setContextProperty(QStringLiteral("playerDirectory"), m_hub.directory());
        context->setContextProperty(QStringLiteral("playerFilter"), m_hub.filter());
        context->setContextProperty(QStringLiteral("selectionPlay"), m_hub.selectionPlay());
        context->setContextProperty(QStringLiteral("playerGroups"), m_hub.groups());
        context->setContextProperty(QStringLiteral("playlist"), m_hub.playlist());
        context->setContextProperty(QStringLiteral("rowOrder"), &m_rowOrder);
        m_viewer.setSource(QUrl(QStringLiteral("qrc:/qml/Quintavo/main.qml")));
        m_viewer.show();
        m_viewer.requestActivate();
    }

    NetworkMessenger &hub() { return m_hub; }
    QQuickWindow &window() { return m_viewer; }
    // Lets every frame due be drawn.
    void settle()
    {
        Support::waitFor([] { return false; }, 300);
    }

    // The GUI thread's time from a key typed on the window to the next frame.
    Span key(int key, const QString &text)
    {
        bool drawn = false;
        const auto frame
            = QObject::connect(&m_viewer, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer clock;
        const qint64 cpu = Bench::threadCpuNs();
        clock.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QGuiApplication::sendEvent(&m_viewer, &press);
        QGuiApplication::sendEvent(&m_viewer, &release);
        Support::waitFor([&] { return drawn; }, 5000);
        const Span span {clock.nsecsElapsed() / 1e6, (Bench::threadCpuNs() - cpu) / 1e6};
        QObject::disconnect(frame);
        return span;
    }

private:
    quint16 discoveryPort()
    {
        m_discovery.bind(QHostAddress::LocalHost, 0);
        return m_discovery.localPort();
    }

    QUdpSocket m_discovery;
    NetworkMessenger m_hub;
    RowOrder m_rowOrder;
    QtQuick2ApplicationViewer m_viewer;
};

// Plays the entry of that description on the players gathered; false when
// not every one switched.
bool playAll(SelectionPlay *play, const QString &description, Span &span)
{
    int entry = -1;
    for (int row = 0; row < play->sharedVideos()->count(); ++row)
        if (play->sharedVideos()->description(row) == description)
            entry = row;
    QElapsedTimer clock;
    const qint64 cpu = Bench::threadCpuNs();
    clock.start();
    play->play(entry);
    Support::waitFor([&] { return play->isDone(); }, 10000);
    span = {clock.nsecsElapsed() / 1e6, (Bench::threadCpuNs() - cpu) / 1e6};
    return entry >= 0 && play->isDone() && play->switchedCount() == play->total();
}

int selection(int players, int repetitions)
{
    Window window;
    Bench::SwitchingCrowd crowd(players);
    for (int i = 0; i < players; ++i)
        window.hub().directory()->registered(QStringLiteral("screen-%1").arg(i),
                                             QStringLiteral("127.0.0.1"), crowd.targets.at(i).port);
    window.hub().filter()->selectShown();
    SelectionPlay *play = window.hub().selectionPlay();
    window.settle();

    QVector<double> gathered, times, cpu, defaultTimes, defaultCpu;
    for (int i = -1; i < repetitions; ++i) { // the first round warms up
        QElapsedTimer clock;
        clock.start();
        play->gather();
        Support::waitFor([&] { return play->waiting() == 0; }, 10000);
        const double asked = clock.nsecsElapsed() / 1e6;
        window.settle();
        Span chosen, standard;
        if (!playAll(play, Bench::SwitchingCrowd::evening, chosen)) {
            std::fprintf(stderr, "bench_selection: %d of %d players switched\n",
                         play->switchedCount(), players);
            return 1;
        }
        window.settle();
        if (!playAll(play, QStringLiteral("Default"), standard))
            return 1;
        window.settle();
        if (i < 0)
            continue;
        gathered.append(asked);
        times.append(chosen.ms);
        cpu.append(chosen.cpuMs);
        defaultTimes.append(standard.ms);
        defaultCpu.append(standard.cpuMs);
    }
    const QString what
        = QStringLiteral("%1 players selected, Play \"Evening loop\", list shown").arg(players);
    Bench::printRow(what + QStringLiteral(": choice to last answer (vs Default)"),
                    Bench::median(times), Bench::median(defaultTimes), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 1000);
    Bench::printRow(what + QStringLiteral(": GUI busy time, choice to last answer (vs Default)"),
                    Bench::median(cpu), Bench::median(defaultCpu), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 20);
    Bench::printRow(QStringLiteral("%1 players selected: Play opened to the last playlist in, "
                                   "4 at a time")
                        .arg(players),
                    Bench::median(gathered), 0, QStringLiteral("ms"));
    return 0;
}

int typing(int rows, int repetitions)
{
    Window window;
    // Ten kinds of screen; "f" is in two of them (cafe, foyer).
    const QStringList kinds {QStringLiteral("atrium"), QStringLiteral("bar"),
                             QStringLiteral("cafe"),   QStringLiteral("deck"),
                             QStringLiteral("foyer"),  QStringLiteral("gallery"),
                             QStringLiteral("hall"),   QStringLiteral("kiosk"),
                             QStringLiteral("lobby"),  QStringLiteral("stage")};
    QVector<RememberedPlayer> players;
    const QDateTime seen = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < rows; ++i)
        players.append({QStringLiteral("%1-%2").arg(kinds.at(i % kinds.size())).arg(i),
                        QStringLiteral("127.1.%1.%2").arg(i / 250).arg(i % 250 + 1), 7000, seen,
                        seen, -1, QString()});
    window.hub().directory()->remember(players);
    window.settle();
    if (window.hub().filter()->count() != rows || !window.window().activeFocusItem()) {
        std::fprintf(stderr, "bench_selection: the list is not shown, or takes no keys\n");
        return 1;
    }

    QVector<double> letter, letterCpu, back, backCpu, down, downCpu;
    for (int i = -1; i < repetitions; ++i) {
        const Span typed = window.key(Qt::Key_F, QStringLiteral("f"));
        const bool filtered = window.hub().filter()->count() == rows / 5;
        window.settle();
        const Span erased = window.key(Qt::Key_Backspace, QString());
        const bool whole = window.hub().filter()->count() == rows;
        window.settle();
        const Span moved = window.key(Qt::Key_Down, QString());
        window.settle();
        if (!filtered || !whole) {
            std::fprintf(stderr, "bench_selection: typing showed the wrong rows\n");
            return 1;
        }
        if (i < 0)
            continue;
        letter.append(typed.ms);
        letterCpu.append(typed.cpuMs);
        back.append(erased.ms);
        backCpu.append(erased.cpuMs);
        down.append(moved.ms);
        downCpu.append(moved.cpuMs);
    }
    Bench::printRow(QStringLiteral("%1 rows, a letter typed (a fifth left): GUI time to the next "
                                   "frame (vs Down)")
                        .arg(rows),
                    Bench::median(letterCpu), Bench::median(downCpu), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 16);
    Bench::printRow(QStringLiteral("%1 rows, Backspace (all back): GUI time to the next frame "
                                   "(vs Down)")
                        .arg(rows),
                    Bench::median(backCpu), Bench::median(downCpu), QStringLiteral("ms"),
                    Bench::Goal::FigureBelow, 16);
    Bench::printRow(
        QStringLiteral("%1 rows, a letter typed: key to the next frame (vs Down)").arg(rows),
        Bench::median(letter), Bench::median(down), QStringLiteral("ms"));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Software rendering without a display, unless a display is chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_QUICK_BACKEND", "software");
    }
    QGuiApplication app(argc, argv);
    const int repetitions = Bench::smoke() ? 1 : 9;
    if (const int failed = selection(Bench::smoke() ? 5 : 50, repetitions))
        return failed;
    return typing(Bench::smoke() ? 100 : 1000, repetitions);
}
