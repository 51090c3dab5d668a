// Local time through the Windows time zone, which the test run sets to New
// York's (TZ, see tests/CMakeLists.txt): each instant is converted by the
// daylight-saving rule of its own year.
#include <gtest/gtest.h>

#include <windows.h>

#include "mime/date_header.h"
#include "platform/local_time.h"
#include "template/date_pattern.h"

TEST(PlatformLocalTimeOnWindows, EachInstantByTheDaylightSavingRuleInForce) {
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    GetDynamicTimeZoneInformation(&zone);
    ASSERT_STREQ(zone.TimeZoneKeyName, L"Eastern Standard Time") << "the test run sets TZ for wine";
    const struct {
        const char* utc;
        const char* local;
    } cases[] = {
        {"Sun, 08 Mar 2026 06:59:59 +0000", "2026-03-08 01:59:59 -05:00 Sun"},
        {"Sun, 08 Mar 2026 07:00:00 +0000", "2026-03-08 03:00:00 -04:00 Sun"},
        {"Sun, 01 Nov 2026 05:59:59 +0000", "2026-11-01 01:59:59 -04:00 Sun"},
        {"Sun, 01 Nov 2026 06:00:00 +0000", "2026-11-01 01:00:00 -05:00 Sun"},
        // Until 2006 summer time began in April and ended in late October.
        {"Sun, 12 Mar 2006 12:00:00 +0000", "2006-03-12 07:00:00 -05:00 Sun"},
        {"Sun, 02 Apr 2006 06:59:59 +0000", "2006-04-02 01:59:59 -05:00 Sun"},
        {"Sun, 02 Apr 2006 07:00:00 +0000", "2006-04-02 03:00:00 -04:00 Sun"},
        {"Sun, 29 Oct 2006 05:59:59 +0000", "2006-10-29 01:59:59 -04:00 Sun"},
        {"Sun, 29 Oct 2006 06:00:00 +0000", "2006-10-29 01:00:00 -05:00 Sun"},
        // Back into the year before.
        {"Fri, 01 Jan 2027 03:00:00 +0000", "2026-12-31 22:00:00 -05:00 Thu"},
    };
    const DateNames& names = dateNamesFor(InterfaceLanguage::English, LocalCodePage::OfLanguage);
    for (const auto& row : cases) {
        const auto instant = parseDateHeader(row.utc);
        ASSERT_TRUE(instant) << row.utc;
        const auto local = platform::localTimeAt(*instant);
        ASSERT_TRUE(local) << row.utc;
        EXPECT_EQ(formatDate(*local, "yyyy-MM-dd HH:mm:ss zzz ddd", names), row.local) << row.utc;
    }
}
