#pragma once

#include "backoffice/backofficedatabase.h"
#include "bridge/bridge.h"
#include "common/drives.h"
#include "support/fakeclock.h"
#include "support/fakehost.h"
#include "support/recordingmessagebox.h"

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

// A station on disk for one test: drive C: in a temporary folder with the system folder, the
// exchange folder and a pump database folder, a back-office with our schema, and the fakes a test
// controls (clock, message boxes, host name). The back-office is a SQLite file, or, when the test
// runs with AUTOQUORVAN_TEST_ENGINE=postgresql, a database of its own on the test server, named
// by the station's Retaguarda.INI as a real station's is.
class TestStation {
public:
    TestStation();
    // A station of a chain: its back-office is the other station's database.
    explicit TestStation(const TestStation& chain);
    ~TestStation();

    static bool onPostgres();

    // A path under drive C:'s folder, e.g. "Quorvan/AutoQuorvanNolvex/AutoQuorvan.INI".
    QString onC(const QString& relative) const;
    QString systemFolder() const { return onC(QStringLiteral("Quorvan/AutoQuorvanNolvex")); }
    QString pumpFolder() const { return onC(QStringLiteral("wdn/matriz")); }
    QString exchangeFolder() const { return onC(QStringLiteral("Automacao")); }

    // Writes AutoQuorvan.INI; the default names this host, 4 nozzles, company 1.
    void writeIni(const QByteArray& content);
    static QByteArray iniFor(int bicos, const QByteArray& computer = "POSTO01", int empresa = 1);
    // What a bridge of this station is built with.
    Ports ports() { return { clock, boxes, drives, host, *backOffice }; }
    // Starts `bridge` with the default settings for the nozzles; a cycle of it, its timer aside.
    Bridge::StartupOutcome start(int bicos);
    void cycle() { bridge->polling().Timer1_Timer(); }
    // A pump table in the pump folder by its file name, built byte by byte.
    void writePumpTable(const QString& name, const QByteArrayList& records) const;
    // The hourly log file of the clock's current hour.
    QByteArray logFile() const;
    // Its lines, without the start-up line.
    QStringList logLines() const;

    // A back-office nozzle of the company selling the product at the price, with a totalizer unless
    // it is null.
    void addNozzle(
        qint16 bico, qint32 produto, const char* preco, const char* encerrante = nullptr, qint16 empresa = 1);
    // The fuelings in the order registered, as "bico date time produto unit litres total".
    QStringList fuelings() const;
    // A nozzle's totalizer as stored ("1003.0000"), or empty when it has none.
    QString totalizer(qint16 bico, qint16 empresa = 1) const;
    // The live records of a pump table, as "Data|Hora|Litros|Valor".
    QStringList pumpRecords(const QString& table) const;

    // SQL on the back-office, through the station's handle: a statement, and a query's rows as
    // "a|b|c".
    void sql(const QString& statement) const;
    QStringList query(const QString& statement) const;
    // A trigger through which the back-office refuses (with the message) or silently skips (empty
    // message) every row of the event on the table, on either engine; and its removal.
    void addTrigger(const QString& table, const QString& event, const QString& message) const;
    void dropTrigger(const QString& table) const;
    // Statements that make another connection hold the totalizers locked until ROLLBACK.
    static QStringList lockTotalizers();

    // The station's real programs as processes: they find its drives, and neither a screen nor Qt's
    // warnings get in the way.
    QProcessEnvironment environment() const;
    // Nozzles 1 to n of the company selling at 5.99 from a totalizer of 1000, each with the empty
    // pump table the writer makes, and no connection of the test's own left open.
    void addPumps(int nozzles, const QString& writer, qint16 empresa = 1);
    // The writer appending count fuelings of the litres (total 10) to a nozzle's table, one every intervalMs.
    void startPump(
        QProcess& pump, const QString& writer, int bico, int count, int intervalMs, const QString& litros) const;

    QTemporaryDir root;
    Drives drives;
    FakeClock clock;
    RecordingMessageBox boxes;
    FakeHost host;
    std::unique_ptr<BackOfficeDatabase> backOffice;
    std::unique_ptr<Bridge> bridge;

private:
    void makeFolders();

    QString m_database;
};
