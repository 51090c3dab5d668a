#include "tools/torvane/time_zone_option.h"

#include <cstdlib>
#include <ostream>

#include "platform/files.h"
#include "platform/time_zone_rule.h"
#include "tools/torvane/cli_errors.h"

namespace torvane {

void useTimeZone(const std::string& zone) {
    if (const auto rule = platform::parseTimeZoneRule(zone)) {
        platform::setTimeZoneRule(rule);
        return;
    }
#if !defined(_WIN32)
    const bool named = !zone.empty() && zone.find("..") == std::string::npos && zone[0] != '/' &&
                       platform::fileExists("/usr/share/zoneinfo/" + zone);
    if (named) {
        setenv("TZ", zone.c_str(), 1);
        return;
    }
    throw UsageError("unknown time zone '" + zone +
                     "': give a TZ rule such as CST-8 or EST5EDT,M3.2.0,M11.1.0, or a zone name such as "
                     "Asia/Shanghai");
#else
    throw UsageError("unknown time zone '" + zone + "': give a TZ rule such as CST-8 or EST5EDT,M3.2.0,M11.1.0");
#endif
}

void followTimeZoneVariable(std::ostream& err) {
#if defined(_WIN32)
    const char* zone = std::getenv("TZ");
    if (!zone || !*zone) return;
    if (const auto rule = platform::parseTimeZoneRule(zone)) {
        platform::setTimeZoneRule(rule);
        return;
    }
    err << "torvane: TZ '" << zone << "' is not a rule such as CST-8 or EST5EDT,M3.2.0,M11.1.0; dates use the "
        << "system's time zone\n";
#else
    (void)err;
#endif
}

}  // namespace torvane
