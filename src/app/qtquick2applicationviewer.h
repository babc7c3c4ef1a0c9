// The application's only window: a Qt Quick view whose root item always takes
// the window's size, which closes when the scene's engine asks to quit, which
// carries the application's icon (from its first frame on), and which opens
// where it was last closed.
#pragma once

#include <QQuickView>
#include <QVector>

#include <functional>

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

    // Runs work once the window has shown its first frame, or at once after
    // that: what the user need not wait for to see the window.
    void afterFirstFrame(const std::function<void()> &work);

protected:
    bool event(QEvent *event) override;

private:
    void firstFrameShown();

    bool m_firstFrameShown = false;
    QVector<std::function<void()>> m_afterFirstFrame;
    QMetaObject::Connection m_firstFrame;
};
