#pragma once

#include "common/clock.h"
#include "common/drives.h"
#include "common/messagebox.h"
#include "common/systemfolder.h"

#include <QString>

// The hourly log files in C:\Quorvan\AutoQuorvanNolvex\, one per calendar hour, that receive every
// event line of the program.
class HourlyLogFile {
public:
    HourlyLogFile(const Drives& drives, const Clock& clock, MessageBox& messageBox);

    // The file a line written at that moment goes to, as the system names it.
    static QString fileNameFor(const QDateTime& moment);
    // That file on this computer.
    QString localPathFor(const QDateTime& moment) const;

    // Appends the line and CR LF to the current hour's file, creating the file but never the
    // folder. A failure shows two boxes and the line is lost from the file; nothing is thrown.
    // True when the line is in the file.
    bool CriaLogCupom(const QString& line);

private:
    const Drives& m_drives;
    const Clock& m_clock;
    MessageBox& m_messageBox;
};
