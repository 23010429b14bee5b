#pragma once

#include <QString>

// The station's settings as start-up reads them; the routines only read them afterwards.
struct StationSettings {
    qint16 lQuantidadeBicos = 0;
    qint16 lCodigoEmpresa = 0;
    QString lNomeEmpresa;
};
