// Collects the log lines the code under test writes, so tests can check their
// exact wording, count and level, from any thread. Debug lines are turned on
// for the capture's lifetime unless asked otherwise. Only one capture may be
// alive at a time.
#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    enum class Levels { WithDebug, AsConfigured };

    // Records messages of categories starting with categoryPrefix.
    explicit LogCapture(const char *categoryPrefix = "quintavo", Levels levels = Levels::WithDebug);
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    int count(const QString &line) const { return lines().count(line); }
    // The lines written as warnings, a subset of lines().
    QStringList warnings() const
    {
        QMutexLocker lock(&m_mutex);
        return m_warnings;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
        m_warnings.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex m_mutex;
    QByteArray m_prefix;
    QStringList m_lines;
    QStringList m_warnings;
    QtMessageHandler m_previous;
};
