#include "logcapture.h"

#include <QLoggingCategory>

namespace {
LogCapture *current = nullptr;
}

LogCapture::LogCapture(const char *categoryPrefix, Levels levels) : m_prefix(categoryPrefix)
{
    Q_ASSERT(!current);
    current = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
    if (levels == Levels::WithDebug)
        QLoggingCategory::setFilterRules(
            QStringLiteral("%1.*.debug=true").arg(QString::fromLatin1(m_prefix)));
}

LogCapture::~LogCapture()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_previous);
    current = nullptr;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (current && context.category && QByteArray(context.category).startsWith(current->m_prefix)) {
        QMutexLocker lock(&current->m_mutex);
        current->m_lines.append(message);
        if (type == QtWarningMsg)
            current->m_warnings.append(message);
    }
    if (current && current->m_previous)
        current->m_previous(type, context, message);
}
