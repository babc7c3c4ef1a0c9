#include "stallmeter.h"

StallMeter::StallMeter(QObject *parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &StallMeter::tick);
}

void StallMeter::start()
{
    m_worstNs = 0;
    m_clock.start();
    m_last = m_clock.nsecsElapsed();
    m_timer.start();
}

double StallMeter::worstMs()
{
    tick(); // a stall still going on counts too
    return m_worstNs / 1e6;
}

void StallMeter::stop()
{
    tick();
    m_timer.stop();
}

void StallMeter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    m_worstNs = std::max(m_worstNs, now - m_last - qint64(1000000));
    m_last = now;
}
