#pragma once

#include "backoffice/backofficeobjects.h"
#include "common/messagebox.h"
#include "common/stationsettings.h"
#include "eventlog/eventlog.h"

// Reads every configured nozzle's current totalizer from the back-office into the event log. It
// only reads, so it may run between two polling cycles without disturbing a registration.
class TotalizerReading {
public:
    static inline const QString MissingText = QStringLiteral("Encerrante atual não encontrado");
    static inline const QString MissingTitle = QStringLiteral("Erro de Integridade!");

    TotalizerReading(
        EventLog& log, BackOfficeObjects& backOffice, MessageBox& messageBox, const StationSettings& settings);

    // One event line per nozzle with its totalizer; true when there was at least one nozzle. A
    // back-office failure is thrown at the nozzle where it happens, after the lines before it.
    bool LeituraEncerrantes();
    // The click of the "Encerrante" button: the reading, with a failure logged instead of thrown.
    void cmdEncerrante_Click();

private:
    EventLog& m_log;
    BackOfficeObjects& m_backOffice;
    MessageBox& m_messageBox;
    const StationSettings& m_settings;
};
