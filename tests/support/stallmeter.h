// The longest lateness of a repeating 1 ms timer while it runs: how long the
// event loop was kept from answering.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class StallMeter : public QObject
{
    Q_OBJECT

public:
    explicit StallMeter(QObject *parent = nullptr);
    // Starts afresh.
    void start();
    // Worst lateness so far, in ms.
    double worstMs();
    void stop();

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worstNs = 0;
};
