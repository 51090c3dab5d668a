#include "platform/local_time.h"

#include "platform/time_zone_rule.h"

#include <ctime>
#include <limits>

namespace platform {

std::optional<LocalTime> localTimeAt(std::int64_t secondsSinceEpoch) {
    if (const auto& rule = timeZoneRule()) return localTimeByRule(*rule, secondsSinceEpoch);
    if (secondsSinceEpoch < std::numeric_limits<std::time_t>::min() ||
        secondsSinceEpoch > std::numeric_limits<std::time_t>::max()) {
        return std::nullopt;
    }
    const auto instant = static_cast<std::time_t>(secondsSinceEpoch);
    // localtime_r need not look at TZ again; a changed TZ must count.
    tzset();
    std::tm local{};
    if (!localtime_r(&instant, &local)) return std::nullopt;
    LocalTime result;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.weekday = local.tm_wday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    result.offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
    return result;
}

}  // namespace platform
