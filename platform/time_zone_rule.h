// A time zone given as a POSIX TZ rule ("CST-8", "EST5EDT,M3.2.0,M11.1.0",
// "<+0545>-5:45"), computed the same way on every system: the torvane tool's
// --time-zone and, on Windows, its TZ, which the system itself ignores.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/local_time.h"

namespace platform {

struct TimeZoneRule {
    // Seconds to add to UTC for local standard (daylight) time: east positive,
    // the opposite of the rule's own sign.
    int standardOffset = 0;
    int daylightOffset = 0;
    bool hasDaylight = false;
    struct Transition {
        char kind = 'M';  // 'M' month.week.day, 'J' Julian day 1-365, 'D' zero-based day 0-365
        int month = 0, week = 0, day = 0;
        int seconds = 7200;  // local time of day, 02:00 by default
    };
    Transition start, end;  // into and out of daylight time, in local time
};

// None when `text` is not such a rule. "UTC", "GMT" and "Z" alone are UTC.
std::optional<TimeZoneRule> parseTimeZoneRule(const std::string& text);

LocalTime localTimeByRule(const TimeZoneRule& rule, std::int64_t secondsSinceEpoch);

// From now on localTimeAt follows `rule` (none: the system's zone again).
void setTimeZoneRule(const std::optional<TimeZoneRule>& rule);
const std::optional<TimeZoneRule>& timeZoneRule();

}  // namespace platform
