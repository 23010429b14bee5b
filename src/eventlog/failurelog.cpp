#include "eventlog/failurelog.h"

FailureLog::FailureLog(EventLog& log, const Clock& clock)
    : m_log(log)
    , m_clock(clock)
{
}

void FailureLog::report(const QString& source, const QStringList& messages)
{
    const QString file = HourlyLogFile::fileNameFor(m_clock.now());
    if (file != m_file) {
        m_file = file;
        m_written.clear();
    }
    const auto previous = m_written.constFind(source);
    if (previous != m_written.cend() && *previous == messages)
        return;
    bool written = true;
    for (const QString& message : messages)
        written = m_log.CriaLogCupom(m_log.line(message)) && written;
    if (written)
        m_written.insert(source, messages);
}
