#pragma once

#include "common/clock.h"

#include <functional>

// A clock the test sets, so a line can be written at 14:59:59 and the next at 15:00:00.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime moment = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 31)))
        : m_now(std::move(moment))
    {
    }
    QDateTime now() const override
    {
        if (whenAsked)
            whenAsked();
        return m_now;
    }
    void set(const QDateTime& moment) { m_now = moment; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

    // Runs whenever the time is asked for: the one moment a test can step into a routine's work,
    // to inject a fault between two of its steps.
    std::function<void()> whenAsked;

private:
    QDateTime m_now;
};
