// The zone of %D dates in the tool: --time-zone, else TZ, else the system's.
// Windows ignores TZ, so there the tool reads it itself.
#pragma once

#include <iosfwd>
#include <string>

namespace torvane {

// A POSIX TZ rule ("CST-8", "EST5EDT,M3.2.0,M11.1.0"), computed alike on
// every system; on Linux also a zone name of the system's database
// ("Asia/Shanghai"). Throws UsageError for anything else.
void useTimeZone(const std::string& zone);

// On Windows, a TZ rule in the environment; a TZ that is no rule is named on
// `err` and the system's zone is used. Elsewhere the C library reads TZ.
void followTimeZoneVariable(std::ostream& err);

}  // namespace torvane
