#include "eventlog/hourlylogfile.h"

#include "common/error.h"
#include "common/textfile.h"

HourlyLogFile::HourlyLogFile(const Drives& drives, const Clock& clock, MessageBox& messageBox)
    : m_drives(drives)
    , m_clock(clock)
    , m_messageBox(messageBox)
{
}

QString HourlyLogFile::fileNameFor(const QDateTime& moment)
{
    return SystemFolder + QStringLiteral("AUTOMACAO_") + moment.toString(QStringLiteral("dd_MM_yyyy_HH"))
        + QStringLiteral(".LOG");
}

QString HourlyLogFile::localPathFor(const QDateTime& moment) const
{
    return m_drives.toLocal(fileNameFor(moment));
}

bool HourlyLogFile::CriaLogCupom(const QString& line)
{
    try {
        TextFile::appendLine(localPathFor(m_clock.now()), line);
        return true;
    } catch (const Error& error) {
        m_messageBox.show(error.description());
        m_messageBox.show(QStringLiteral("Erro ao criar LOG ECF: ") + line, MessageStyle::Information,
            QStringLiteral("Erro: CriaLogCupom"));
        return false;
    }
}
