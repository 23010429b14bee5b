#pragma once

#include "eventlog/eventlog.h"

#include <QHash>
#include <QStringList>

// The lines of a failure that persists from cycle to cycle (a missing table, a blank field, a
// back-office that is down) would otherwise be written every 30 ms, about a gigabyte a day, until
// the disk is full. They are written once in each hourly log file while the failure persists, and
// again as soon as their text changes; lines that differ are never held back.
class FailureLog {
public:
    explicit FailureLog(EventLog& log);

    // Writes the failure's messages, each behind the current time, through CriaLogCupom, unless
    // the same messages of the same source already went to the current hour's file.
    void report(const QString& source, const QStringList& messages);
    // The source worked again: its next failure is written in full.
    void clear(const QString& source) { m_written.remove(source); }

private:
    struct Written {
        QString file;
        QStringList messages;
    };

    EventLog& m_log;
    QHash<QString, Written> m_written;
};
