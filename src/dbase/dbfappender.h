#pragma once

#include "common/money.h"
#include "dbase/dbffile.h"

#include <QDate>
#include <QTime>

// One fueling as the pump automation leaves it in a nozzle's table.
struct PumpRecord {
    QDate data;
    QTime hora;
    Money litros;
    Money valor;
};

// Writes pump tables the way the pump automation does, for the writer tool, the tests and the
// benchmarks: every call opens and closes the file, and an append raises the header's record count
// only after the record is in place, so a reader never meets a counted record that is not there.
class DbfAppender {
public:
    // The table at a local path; nothing is touched before a call.
    explicit DbfAppender(QString path);

    // "BOMBA" + the nozzle with at least two digits + ".DBF".
    static QString pumpTableName(int bico);
    // Data D 8, Hora C 8, Litros N 10.3, Valor N 10.2: the layout of a new pump table.
    static QList<Dbf::Field> pumpTableFields();

    const QString& path() const { return m_path; }
    // The record's bytes in the table's layout, or in that of a new pump table when the file is
    // missing; throws the overflow error naming the field when a value does not fit.
    QByteArray encode(const PumpRecord& record) const;
    // Creates an empty pump table when the file is missing; gives whether it did.
    bool create(QDate lastUpdate);
    // Creates the table when missing and appends the record; lastUpdate goes into the header.
    void append(const PumpRecord& record, QDate lastUpdate);

private:
    QString m_path;
};
