#include "eventlog/failurelog.h"

FailureLog::FailureLog(EventLog& log)
    : m_log(log)
{
}

void FailureLog::report(const QString& source, const QStringList& messages)
{
    const QString file = HourlyLogFile::fileNameFor(m_log.clock().now());
    const auto previous = m_written.constFind(source);
    if (previous != m_written.cend() && previous->file == file && previous->messages == messages)
        return;
    for (const QString& message : messages)
        m_log.CriaLogCupom(m_log.line(message));
    m_written.insert(source, { file, messages });
}
