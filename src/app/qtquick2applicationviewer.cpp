#include "qtquick2applicationviewer.h"

#include <QIcon>
#include <QQmlEngine>

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer(QWindow *parent) : QQuickView(parent)
{
    connect(engine(), &QQmlEngine::quit, this, &QWindow::close);
    setResizeMode(QQuickView::SizeRootObjectToView);
    // Every size the collection has (16 to 256 pixels), so that task bars and
    // switchers, on screens of any density, pick one instead of scaling one.
    QIcon icon(QStringLiteral(":/orvik_icon.ico"));
    icon.addFile(QStringLiteral(":/orvik_icon.png"));
    setIcon(icon);
}

QtQuick2ApplicationViewer::~QtQuick2ApplicationViewer() = default;

void QtQuick2ApplicationViewer::bringForward()
{
    setWindowStates(windowStates() & ~Qt::WindowMinimized);
    show();
    raise();
    requestActivate();
}
