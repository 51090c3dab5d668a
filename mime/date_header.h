// Reading a Date header: an RFC 5322 date-time, the obsolete forms included
// (no day of week, two- and three-digit years, no seconds, zone names and
// military zones, comments and white space anywhere between the parts, any
// letter case), as an instant. Zone names: a table of the well-known ones
// (date_header.cpp); any other name counts as UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Seconds since 1970-01-01 00:00:00 UTC (negative before it); none when the
// text is not a date-time, names a day or time that does not exist, a year
// before 1900, no zone, or the military letter J. A day
// of week is checked for its name only, never against the date.
std::optional<std::int64_t> parseDateHeader(std::string_view text);
