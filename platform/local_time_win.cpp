#include "platform/local_time.h"

#include "platform/time_zone_rule.h"

#include <windows.h>

#include <cstdint>
#include <limits>

namespace platform {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;    // FILETIME counts 100 ns
constexpr std::int64_t kEpochFrom1601 = 11644473600;  // seconds from 1601 to 1970
constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;

std::int64_t ticksOf(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The zone's rule of one year: a zone whose daylight-saving dates changed
// over the years (dynamic DST) converts older instants by their own rule.
bool toLocal(const SYSTEMTIME& utc, WORD year, SYSTEMTIME& local) {
    TIME_ZONE_INFORMATION zone{};
    return GetTimeZoneInformationForYear(year, nullptr, &zone) &&
           SystemTimeToTzSpecificLocalTime(&zone, &utc, &local);
}

}  // namespace

std::optional<LocalTime> localTimeAt(std::int64_t secondsSinceEpoch) {
    if (const auto& rule = timeZoneRule()) return localTimeByRule(*rule, secondsSinceEpoch);
    constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max() / kTicksPerSecond - kEpochFrom1601;
    if (secondsSinceEpoch < -kEpochFrom1601 || secondsSinceEpoch > kLatest) return std::nullopt;
    const std::int64_t ticks = (secondsSinceEpoch + kEpochFrom1601) * kTicksPerSecond;
    FILETIME utcFile{static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utcFile, &utc) || !toLocal(utc, utc.wYear, local)) return std::nullopt;
    // Around the new year the local year's rule is the one in force.
    if (local.wYear != utc.wYear && !toLocal(utc, local.wYear, local)) return std::nullopt;
    FILETIME localFile{};
    if (!SystemTimeToFileTime(&local, &localFile)) return std::nullopt;
    LocalTime result;
    result.year = local.wYear;
    result.month = local.wMonth;
    result.day = local.wDay;
    result.weekday = local.wDayOfWeek;
    result.hour = local.wHour;
    result.minute = local.wMinute;
    result.second = local.wSecond;
    result.offsetMinutes = static_cast<int>((ticksOf(localFile) - ticks) / kTicksPerMinute);
    return result;
}

}  // namespace platform
