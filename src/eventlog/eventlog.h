#pragma once

#include "eventlog/eventlistmodel.h"
#include "eventlog/hourlylogfile.h"

// The two ways an event is written: GravaEvento to the log file and the window's list,
// CriaLogCupom to the log file only. Callers compose the line; nothing here changes it.
class EventLog {
public:
    EventLog(const Drives& drives, const Clock& clock, MessageBox& messageBox);

    // The current time of day followed by the message.
    QString line(const QString& message) const;

    // The file first, when file logging is on, then the list, even when the file failed.
    void GravaEvento(const QString& line);
    // True when the line is in the file.
    bool CriaLogCupom(const QString& line) { return m_file.CriaLogCupom(line); }

    EventListModel& EventLB() { return m_list; }

    // The file-logging switch; off until start-up turns it on.
    bool lGravaLogArquivo = false;

private:
    const Clock& m_clock;
    HourlyLogFile m_file;
    EventListModel m_list;
};
