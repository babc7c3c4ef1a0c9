// The application's only window: a Qt Quick view whose root item always takes
// the window's size, which closes when the scene's engine asks to quit, which
// carries the application's icon, and which opens where it was last closed.
#pragma once

#include <QQuickView>

class QtQuick2ApplicationViewer : public QQuickView
{
    Q_OBJECT

public:
    explicit QtQuick2ApplicationViewer(QWindow *parent = nullptr);
    ~QtQuick2ApplicationViewer() override;

    // Takes the place and size the window had when it was last closed, as far
    // as today's screens show it; the first time, it keeps the scene's size
    // and the desktop places it.
    void restorePlace();

    // Shows the window in front of the others and gives it the keyboard, also
    // from minimised (when the user launches the application again).
    void bringForward();

protected:
    bool event(QEvent *event) override;
};
