#include "backoffice/backofficeadmin.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

// The exchange as the running bridge serves it: only the tenth tick of the polling cycle looks for
// a request.
class TestRequestCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void answeredOnTheTenthTick()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(2));
        {
            BackOfficeDatabase admin(station.backOffice->settings());
            BackOfficeAdmin::gravaEncerrante(admin, 1, 1, Money::fromUnits(12345600));
            BackOfficeAdmin::gravaEncerrante(admin, 1, 2, Money::fromUnits(70000));
        }
        for (const char* table : { "/BOMBA01.DBF", "/BOMBA02.DBF" })
            TestFiles::write(station.pumpFolder() + QLatin1StringView(table), RawDbf::table({}));
        const QString request = station.exchangeFolder() + QStringLiteral("/Solicitacao.txt");
        const QString response = station.exchangeFolder() + QStringLiteral("/Resposta.txt");
        TestFiles::write(request, "[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n");
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Running);

        for (int tick = 1; tick <= 9; ++tick)
            bridge.polling().Timer1_Timer();
        QVERIFY(QFileInfo::exists(request));
        QVERIFY(!QFileInfo::exists(response));

        bridge.polling().Timer1_Timer();
        QVERIFY(!QFileInfo::exists(request));
        QCOMPARE(TestFiles::read(response),
            QByteArray(
                "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=OK\r\nParametro=??\r\n"));
        QCOMPARE(bridge.EventLB().lines().mid(1),
            QStringList({ "14:05:31 - Solicitacao de Leitura de Encerrante Iniciada.",
                "14:05:31 - Bico-1   Encerrante= 1.234,56", "14:05:31 - Bico-2   Encerrante= 7,00",
                "14:05:31 - Solicitacao de Leitura de Encerrante Concluída." }));
        QCOMPARE(station.boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }
};

QTEST_GUILESS_MAIN(TestRequestCycle)
#include "tst_requestcycle.moc"
