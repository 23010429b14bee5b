// Registers one fueling and moves its totalizer, reports it on standard output and then waits to be
// killed, so the test can end the process at the worst moment: right after the calls returned.
#include "backoffice/backofficeclasses.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3)
        return 2;
    BackOfficeDatabase database(BackOfficeSettings::sqlite(arguments[1], arguments[2]));
    clsAbastecimento fueling(database);
    fueling.CodigoEmpresa = 1;
    fueling.NumeroBico = 3;
    fueling.DataAbastecimento = DateValue::fromDate(QDate(2026, 3, 14));
    fueling.HoraAbastecimento = DateValue::fromTime(QTime(9, 30, 5));
    fueling.Quantidade = Money::fromUnits(12340);
    fueling.ValorTotal = Money::fromUnits(74030);
    if (!fueling.Inclui())
        return 1;
    clsEncerrante encerrante(database);
    if (!encerrante.Localiza(1, 3))
        return 1;
    encerrante.EncerranteAtual = encerrante.EncerranteAtual + fueling.Quantidade;
    if (!encerrante.Altera(1, 3))
        return 1;
    std::fputs("INCLUIDO\n", stdout);
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
