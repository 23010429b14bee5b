#pragma once

#include "common/clock.h"

// A clock the test sets, so a line can be written at 14:59:59 and the next at 15:00:00.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime moment = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 31)))
        : m_now(std::move(moment))
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& moment) { m_now = moment; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};
