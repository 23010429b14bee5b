#include "eventlog/eventlog.h"

EventLog::EventLog(const Drives& drives, const Clock& clock, MessageBox& messageBox)
    : m_clock(clock)
    , m_file(drives, clock, messageBox)
{
}

QString EventLog::line(const QString& message) const
{
    // 24-hour HH:mm:ss whatever the locale, so log files read the same on every station.
    return m_clock.now().time().toString(QStringLiteral("HH:mm:ss")) + message;
}

void EventLog::GravaEvento(const QString& line)
{
    if (lGravaLogArquivo)
        m_file.CriaLogCupom(line);
    m_list.addLine(line);
}
