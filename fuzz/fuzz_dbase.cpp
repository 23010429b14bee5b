// The pump-table reader as LoopBomba drives it, over a table of any bytes: refresh, the four fields
// of each record with their conversions, delete, next. An Error is the answer to a bad table or
// value; a crash, a sanitizer report, a hang or an exception of another type is a fault.

#include "dbase/datacontrol.h"
#include "dbase/pumptable.h"
#include "fuzzfiles.h"

#include <QLocale>

namespace {

template <typename Read> void tolerateError(Read read)
{
    try {
        read();
    } catch (const Error&) {
    }
}

void readFields(const DataControl& table)
{
    tolerateError([&] {
        if (const std::optional<DateValue> date = table.Fields(PumpTable::Data).toDate())
            date->toText();
    });
    tolerateError([&] { table.Fields(PumpTable::Data).toDateTime().toText(); });
    tolerateError([&] { table.Fields(PumpTable::Hora).toDateTime().toText(); });
    tolerateError([&] { table.Fields(PumpTable::Litros).toMoney().toPlainText(); });
    tolerateError([&] { table.Fields(PumpTable::Valor).toMoney().format(u"##,###,##0.00"); });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A text date reads through the locale's short format; a station's is Brazilian.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString name = PumpTable::name(1);
    FuzzFiles::write(name, QByteArrayView(data, qsizetype(size)));
    DataControl table { Drives(FuzzFiles::folder()) };
    table.setDatabaseName(FuzzFiles::folder());
    table.setRecordSource(name);
    try {
        table.Refresh();
    } catch (const Error&) {
        return 0;
    }
    // A refresh gives a bounded number of live records; every one read is deleted, so the table
    // runs out of them in as many refreshes as it holds records.
    for (size_t refreshes = 0; !table.Eof(); ++refreshes) {
        if (refreshes > size)
            qFatal("A deleted record was read again");
        while (!table.Eof()) {
            readFields(table);
            // Nothing else writes the table, so each record is still there to be deleted.
            try {
                table.Delete();
            } catch (const Error& error) {
                qFatal("A record of an untouched table was not deleted: %s", error.what());
            }
            table.MoveNext();
        }
        table.Refresh();
    }
    return 0;
}
