// Collects the log lines the code under test writes, so tests can check their
// exact wording, count and level, from any thread. Only one capture may be
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
    // Records messages of categories starting with categoryPrefix.
    explicit LogCapture(const char *categoryPrefix = "quintavo");
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
