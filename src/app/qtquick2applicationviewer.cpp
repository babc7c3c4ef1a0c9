#include "qtquick2applicationviewer.h"

#include "applicationsettings.h"
#include "windowplacement.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QScreen>

#include <utility>

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer(QWindow *parent) : QQuickView(parent)
{
    connect(engine(), &QQmlEngine::quit, this, &QWindow::close);
    setResizeMode(QQuickView::SizeRootObjectToView);
    // Queued: after the frame, never inside it, whichever thread renders.
    m_firstFrame = connect(this, &QQuickWindow::frameSwapped, this,
                           &QtQuick2ApplicationViewer::firstFrameShown, Qt::QueuedConnection);
    // Every size the collection has (16 to 256 pixels), so that task bars and
    // switchers, on screens of any density, pick one instead of scaling one.
    // Decoding them takes some milliseconds, which the first frame does not
    // wait for.
    afterFirstFrame([this] {
        QIcon icon(QStringLiteral(":/orvik_icon.ico"));
        icon.addFile(QStringLiteral(":/orvik_icon.png"));
        setIcon(icon);
    });
}

QtQuick2ApplicationViewer::~QtQuick2ApplicationViewer() = default;

void QtQuick2ApplicationViewer::restorePlace()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QVector<QRect> screens {primary->availableGeometry()};
    const QList<QScreen *> all = QGuiApplication::screens();
    for (QScreen *screen : all) {
        if (screen != primary)
            screens.append(screen->availableGeometry());
    }
    const QRect saved = ApplicationSettings().value(WindowPlacement::settingsKey).toRect();
    const QRect place = WindowPlacement::onScreens(saved, screens);
    if (place.isValid())
        setGeometry(place);
}

void QtQuick2ApplicationViewer::bringForward()
{
    setWindowStates(windowStates() & ~Qt::WindowMinimized);
    show();
    raise();
    requestActivate();
}

void QtQuick2ApplicationViewer::afterFirstFrame(const std::function<void()> &work)
{
    if (m_firstFrameShown)
        work();
    else
        m_afterFirstFrame.append(work);
}

void QtQuick2ApplicationViewer::firstFrameShown()
{
    // Frames swapped before this call ran have queued more calls.
    if (m_firstFrameShown)
        return;
    m_firstFrameShown = true;
    disconnect(m_firstFrame);
    const QVector<std::function<void()>> work = std::exchange(m_afterFirstFrame, {});
    for (const std::function<void()> &run : work)
        run();
}

bool QtQuick2ApplicationViewer::event(QEvent *event)
{
    // A maximised, full-screen or minimised window keeps the place it had
    // before, which is where it returns to from there.
    if (event->type() == QEvent::Close && windowStates() == Qt::WindowNoState)
        ApplicationSettings().setValue(WindowPlacement::settingsKey, geometry());
    return QQuickView::event(event);
}
