#pragma once

#include "dbase/pumptable.h"

#include <QDateTime>
#include <optional>

// Writes pump tables the way the pump automation does, for the writer tool, the tests and the
// benchmarks: every call opens and closes the file, and an append raises the header's record count
// only after the record is in place, so a reader never meets a counted record that is not there.
class DbfAppender {
public:
    // The table at a local path; nothing is touched before a call.
    explicit DbfAppender(QString path);

    const QString& path() const { return m_path; }
    // The record's bytes in the table's layout, or in that of a new pump table when the file is
    // missing; throws the overflow error naming the field when a value does not fit.
    QByteArray encode(const PumpRecord& record) const;
    // Creates an empty pump table when the file is missing; gives whether it did.
    bool create(QDate lastUpdate);
    // Creates the table when missing and appends the record; lastUpdate goes into the header.
    void append(const PumpRecord& record, QDate lastUpdate);
    // The date and time of the table's last record, deleted or not (the bridge deletes a fueling
    // once registered, and takes a later one at the same moment for the same fueling), read as the
    // bridge reads them; empty when the table is missing, empty, or that record has no readable
    // date and time.
    std::optional<QDateTime> lastMoment() const;

private:
    QString m_path;
};
