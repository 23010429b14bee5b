#pragma once

#include "eventlog/eventlog.h"

#include <QHash>
#include <QStringList>

// The lines of a failure that persists from cycle to cycle (a missing table, a blank field, a
// back-office that is down) would otherwise be written every 30 ms, about a gigabyte a day, until
// the disk is full. They are written once in each hourly log file while the failure persists, and
// again as soon as their text changes; lines that differ are never held back. A source is what
// fails on its own: a table that cannot be opened, one held record, the request exchange.
class FailureLog {
public:
    FailureLog(EventLog& log, const Clock& clock);

    // Writes the failure's messages, each behind the current time, through CriaLogCupom, unless
    // the same messages of the same source already went to the current hour's file. Messages
    // that could not be written are written again at the next report.
    void report(const QString& source, const QStringList& messages);
    // The source worked again: its next failure is written in full.
    void clear(const QString& source)
    {
        if (!m_written.isEmpty())
            m_written.remove(source);
    }

private:
    EventLog& m_log;
    const Clock& m_clock;
    // The messages each source wrote to the current hour's file.
    QString m_file;
    QHash<QString, QStringList> m_written;
};
