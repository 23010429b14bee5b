#include "fueling/fueling.h"

DateValue FuelingDate::forBlank(DateValue hora, const QDateTime& now)
{
    constexpr int ClockAllowanceSeconds = 2 * 3600;
    const QDateTime today(now.date(), hora.time());
    if (now.secsTo(today) > ClockAllowanceSeconds)
        return DateValue::fromDate(now.date().addDays(-1));
    return DateValue::fromDate(now.date());
}
