// The wall-clock time of an instant in the local time zone, with the
// daylight-saving rule in force at that instant: the Windows time zone on
// Windows, the system's zone (honouring TZ, read afresh on every call) on
// POSIX systems.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct LocalTime {
    int year = 0;
    int month = 0;          // 1-12
    int day = 0;            // 1-31
    int weekday = 0;        // 0 Sunday - 6 Saturday
    int hour = 0;           // 0-23
    int minute = 0;
    int second = 0;
    int offsetMinutes = 0;  // local time minus UTC
};

// `secondsSinceEpoch` counts from 1970-01-01 00:00:00 UTC (earlier instants
// are negative). None when the system cannot convert the instant.
std::optional<LocalTime> localTimeAt(std::int64_t secondsSinceEpoch);

}  // namespace platform
