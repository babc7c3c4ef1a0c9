// The application's only window: a Qt Quick view whose root item always takes
// the window's size, which closes when the scene's engine asks to quit, and
// which carries the application's icon.
#pragma once

#include <QQuickView>

class QtQuick2ApplicationViewer : public QQuickView
{
    Q_OBJECT

public:
    explicit QtQuick2ApplicationViewer(QWindow *parent = nullptr);
    ~QtQuick2ApplicationViewer() override;

    // Shows the window in front of the others and gives it the keyboard, also
    // from minimised (when the user launches the application again).
    void bringForward();
};
