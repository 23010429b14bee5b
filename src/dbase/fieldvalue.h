#pragma once

#include "common/datevalue.h"
#include "common/money.h"

#include <QString>
#include <optional>

// One field of one record as the table stores it: the dBASE type letter and the text without the
// blanks that pad it, or empty for a blank field. The conversions are the ones the pump table
// reader applies to "Data", "Hora", "Litros" and "Valor".
class FieldValue {
public:
    FieldValue() = default;
    // A value of a field of that type; blank text (or only NUL padding) is an empty value.
    FieldValue(char type, QString text);

    char type() const { return m_type; }
    bool isNull() const { return m_text.isEmpty(); }
    // The stored text without its padding; empty for an empty value.
    const QString& text() const { return m_text; }

    // The date of a D field or of a text that reads as a date; empty for an empty value, so the
    // caller can fall back to today; throws type mismatch for anything else.
    std::optional<DateValue> toDate() const;
    // A time-of-day text, a date-time text or a date; throws invalid use of null when empty and
    // type mismatch when the value is no date or time.
    DateValue toDateTime() const;
    // A number of an N or F field, or a text with "." or "," before its decimals; throws invalid
    // use of null when empty and type mismatch when the value is no number.
    Money toMoney() const;

private:
    char m_type = 'C';
    QString m_text;
};
