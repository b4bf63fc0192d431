#include "TMess.h"

#include <cmath>

namespace {

constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;

// Day 0 of the stored dates.
QDate epoch() {
    return QDate(1899, 12, 30);
}

} // namespace

bool TMess::isPending() const {
    return Status == 1 || Status == kStatusSent || Status == 19 || Status == 20;
}

QDateTime TMess::moment() const {
    const auto clock = wallClock();
    return clock ? QDateTime(clock->first, clock->second) : QDateTime();
}

std::optional<std::pair<QDate, QTime>> TMess::wallClock() const {
    // Anything a corrupt file may hold (NaN, infinities, years far out) gives no moment.
    if (!std::isfinite(Date) || !std::isfinite(Time) || std::abs(Date) > 3e6 || Time < 0 ||
        Time >= 1)
        return std::nullopt;
    qint64 days = static_cast<qint64>(std::trunc(Date));
    qint64 msecs = std::llround(Time * kMsecsPerDay);
    if (msecs >= kMsecsPerDay) {
        ++days;
        msecs -= kMsecsPerDay;
    }
    return std::pair(epoch().addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

void TMess::setMoment(const QDateTime& moment) {
    const QDateTime local = moment.toLocalTime();
    Date = double(epoch().daysTo(local.date()));
    Time = double(local.time().msecsSinceStartOfDay()) / kMsecsPerDay;
}
