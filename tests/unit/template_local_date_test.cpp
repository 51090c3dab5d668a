// %D{pattern}: the message's Date read as a date-time, shown in the local
// time zone through a date pattern, with names in the interface language.
#include "platform/time_zone_rule.h"
#include "template_fixture.h"
#include "tools/hostsim/converters.h"

namespace {

struct DateCase {
    const char* date;
    const char* shown;
};

}  // namespace

class LocalDate : public TemplateFixture {
protected:
    std::string renderDate(const std::string& date, const std::string& pattern) {
        host().message.headers = {{"Date", date}};
        return render("%D{" + pattern + "}");
    }
};

TEST_F(LocalDate, ReadsEveryDateTimeFormAndShowsAnyOtherTextAsWritten) {
    pinTimeZone("UTC0");
    const DateCase cases[] = {
        {"Tue, 01 Dec 2026 09:14:02 +0100", "2026-12-01 08:14:02"},
        {"1 Dec 2026 09:14 +0100", "2026-12-01 08:14:00"},        // no day of week, no seconds
        {"tue, 1 dEC 2026 9:14:02 -0130", "2026-12-01 10:44:02"},  // any case, one-digit hour
        {"Fri, 1 Jan 27 00:30 +0100", "2026-12-31 23:30:00"},      // two-digit years: 00-49 are 20xx
        {"Wed, 1 Dec 50 12:00 GMT", "1950-12-01 12:00:00"},        // 50-99 are 19xx
        {"1 Dec 126 12:00 UT", "2026-12-01 12:00:00"},             // three digits: from 1900
        {"1 Dec 2026 12:00 EST", "2026-12-01 17:00:00"},
        {"1 Dec 2026 12:00 EDT", "2026-12-01 16:00:00"},
        {"1 Dec 2026 12:00 CST", "2026-12-01 18:00:00"},
        {"1 Dec 2026 12:00 CDT", "2026-12-01 17:00:00"},
        {"1 Dec 2026 12:00 MST", "2026-12-01 19:00:00"},
        {"1 Dec 2026 12:00 MDT", "2026-12-01 18:00:00"},
        {"1 Dec 2026 12:00 pst", "2026-12-01 20:00:00"},
        {"1 Dec 2026 12:00 PDT", "2026-12-01 19:00:00"},
        {"1 Dec 2026 12:00 Z", "2026-12-01 12:00:00"},
        {"Tue, 01 Dec 2026 09:14:02 UTC", "2026-12-01 09:14:02"},
        {"Tue, 1 Dec 2026 09:14:02 cet", "2026-12-01 08:14:02"},
        {"1 Dec 2026 12:00 CEST", "2026-12-01 10:00:00"},
        {"1 Dec 2026 12:00 MSK", "2026-12-01 09:00:00"},
        {"1 Dec 2026 12:00 IST", "2026-12-01 06:30:00"},
        {"1 Dec 2026 12:00 JST", "2026-12-01 03:00:00"},
        {"1 Dec 2026 12:00 NZDT", "2026-11-30 23:00:00"},
        {"1 Dec 2026 12:00 AKST", "2026-12-01 21:00:00"},
        {"1 Dec 2026 12:00 BST", "2026-12-01 12:00:00"},  // unknown names are UTC ("-0000")
        {"1 Dec 2026 12:00 Europe", "2026-12-01 12:00:00"},
        {"1 Dec 2026 12:00 a", "2026-12-01 12:00:00"},  // military zones say nothing reliable
        {" Tue ,\r\n 1 (day (nested \\) )) Dec 2026 09 :14: 02 +0100 (CET) ", "2026-12-01 08:14:02"},
        {"Tue, 29 Feb 2028 10:00 +0000", "2028-02-29 10:00:00"},
        {"Sat, 31 Dec 2050 23:59:60 +0000", "2051-01-01 00:00:00"},  // a leap second
        {"Mon, 1 Jan 1900 00:00 +0000", "1900-01-01 00:00:00"},
        // Not a date-time:
        {"Sun, 29 Feb 2026 10:00 +0000", "Sun, 29 Feb 2026 10:00 +0000"},
        {"Tue, 1 Dec 2026 24:00 +0000", "Tue, 1 Dec 2026 24:00 +0000"},
        {"Tue, 1 Dec 2026 09:14:02", "Tue, 1 Dec 2026 09:14:02"},
        {"Tue, 1 Dec 2026 09:14:02 J", "Tue, 1 Dec 2026 09:14:02 J"},
        {"Tue, 1 Dec 2026 09:14:02 +0160", "Tue, 1 Dec 2026 09:14:02 +0160"},
        {"Tue, 1 Dec 2026 09:14:02 +100", "Tue, 1 Dec 2026 09:14:02 +100"},
        {"Tue, 1 Dec 2026 09:14:02 +0100 (open", "Tue, 1 Dec 2026 09:14:02 +0100 (open"},
        {"Tue, 1 Dec 2026 09:14:02 +0100 more", "Tue, 1 Dec 2026 09:14:02 +0100 more"},
        {"Sun, 31 Dec 1899 23:00 -0100", "Sun, 31 Dec 1899 23:00 -0100"},
        {"1 Dec 12026 09:14 +0100", "1 Dec 12026 09:14 +0100"},
        {"Tuesday, 1 Dec 2026 09:14 +0100", "Tuesday, 1 Dec 2026 09:14 +0100"},
        {"Tue 1 Dec 2026 09:14 +0100", "Tue 1 Dec 2026 09:14 +0100"},
        {"2026-12-01T09:14:02+01:00", "2026-12-01T09:14:02+01:00"},
    };
    for (const DateCase& row : cases) EXPECT_EQ(renderDate(row.date, "yyyy-MM-dd HH:mm:ss"), row.shown) << row.date;
}

TEST_F(LocalDate, TheLocalOffsetIsTheOneInForceAtTheInstant) {
    const struct {
        const char* zone;
        DateCase date;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"Sun, 29 Mar 2026 00:59:59 +0000", "2026-03-29 01:59:59 +01:00 Sun 1 AM"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"Sun, 29 Mar 2026 01:00:00 +0000", "2026-03-29 03:00:00 +02:00 Sun 3 AM"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"Sun, 25 Oct 2026 00:59:59 +0000", "2026-10-25 02:59:59 +02:00 Sun 2 AM"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"Sun, 25 Oct 2026 01:00:00 +0000", "2026-10-25 02:00:00 +01:00 Sun 2 AM"}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {"Thu, 31 Dec 2026 23:30:00 +0000", "2027-01-01 00:30:00 +01:00 Fri 12 AM"}},
        {"EST5EDT,M3.2.0,M11.1.0", {"Tue, 01 Dec 2026 04:14:02 +0100", "2026-11-30 22:14:02 -05:00 Mon 10 PM"}},
        {"<+0530>-5:30", {"Tue, 01 Dec 2026 12:00 +0000", "2026-12-01 17:30:00 +05:30 Tue 5 PM"}},
        {"<-0330>3:30", {"Tue, 01 Dec 2026 12:00 +0000", "2026-12-01 08:30:00 -03:30 Tue 8 AM"}},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", {"Sat, 04 Apr 2026 15:59:59 +0000", "2026-04-05 02:59:59 +11:00 Sun 2 AM"}},
        {"AEST-10AEDT,M10.1.0,M4.1.0/3", {"Sat, 04 Apr 2026 16:00:00 +0000", "2026-04-05 02:00:00 +10:00 Sun 2 AM"}},
        {"EST5EDT", {"Sun, 08 Mar 2026 07:00:00 +0000", "2026-03-08 03:00:00 -04:00 Sun 3 AM"}},
        {"XYZ-3:17", {"Tue, 01 Dec 2026 09:14:02 +0100", "2026-12-01 11:31:02 +03:17 Tue 11 AM"}},
        {"MSK-3MSD,J60/2,J300/3", {"Tue, 01 Mar 2028 00:00:00 +0000", "2028-03-01 04:00:00 +04:00 Wed 4 AM"}},
    };
    // The system's zone (glibc reading TZ), then the tool's own reading of the
    // rule (its --time-zone everywhere, and TZ on Windows): the same dates.
    for (const bool byRule : {false, true}) {
        for (const auto& row : cases) {
            pinTimeZone(row.zone);
            if (byRule) platform::setTimeZoneRule(platform::parseTimeZoneRule(row.zone));
            EXPECT_EQ(renderDate(row.date.date, "yyyy-MM-dd HH:mm:ss zzz ddd h tt"), row.date.shown)
                << row.zone << ' ' << row.date.date << (byRule ? " by the rule" : " by the system");
            platform::setTimeZoneRule(std::nullopt);
        }
    }
    for (const char* notARule : {"", "Asia/Shanghai", "EST", "EST5EDT,M3.2.0", "CET-1CEST,M13.5.0,M10.5.0"}) {
        EXPECT_FALSE(platform::parseTimeZoneRule(notARule)) << notARule;
    }
}

TEST_F(LocalDate, PatternsAndNamesOfEachLanguageInItsCodePage) {
    pinTimeZone("CST-8");
    const auto in = [](const char* charset, const char* utf8) {
        return hostsim::convertCharset(utf8, "UTF-8", charset).value();
    };
    using Language = InterfaceLanguage;
    using CodePage = LocalCodePage;
    const struct {
        Language language;
        CodePage codePage;
        const char* pattern;
        std::string shown;
    } cases[] = {
        {Language::English, CodePage::OfLanguage, "", "Tue, 1 Dec 2026 16:14"},
        {Language::English, CodePage::OfLanguage, "dddd, MMMM d, yyyy h:mm:ss tt zzz",
         "Tuesday, December 1, 2026 4:14:02 PM +08:00"},
        {Language::English, CodePage::OfLanguage, "d/M/yy H:m:s", "1/12/26 16:14:2"},
        {Language::English, CodePage::OfLanguage, "dd.MM.yyyy hh:mm", "01.12.2026 04:14"},
        {Language::English, CodePage::OfLanguage, "'d' ''yy 'It''s' at h", "d '26 It's at 4"},
        {Language::English, CodePage::OfLanguage, "HH 'o''clock", "16 o'clock"},  // open quote
        {Language::English, CodePage::OfLanguage, "yyy ddddd MMMMM t zz HHH",
         "yyy ddddd MMMMM t zz HHH"},
        // Typed in the HTML editor: a space as "&nbsp;", other characters as entities.
        {Language::English, CodePage::OfLanguage, "d&nbsp;MMM &amp; &lt;yy&gt; &#x27;",
         "1 Dec &amp; &lt;26&gt; &#x27;"},
        {Language::English, CodePage::Utf8, "", "Tue, 1 Dec 2026 16:14"},
        {Language::SimplifiedChinese, CodePage::OfLanguage, "", in("GBK", "2026年12月1日 星期二 16:14")},
        {Language::SimplifiedChinese, CodePage::OfLanguage, "ddd|MMM|MMMM|tt",
         in("GBK", "周二|12月|12月|下午")},
        {Language::TraditionalChinese, CodePage::OfLanguage, "", in("BIG5", "2026年12月1日 星期二 16:14")},
        {Language::TraditionalChinese, CodePage::OfLanguage, "ddd|MMM|tt", in("BIG5", "週二|12月|下午")},
        {Language::SimplifiedChinese, CodePage::Utf8, "", "2026年12月1日 星期二 16:14"},
        {Language::SimplifiedChinese, CodePage::Utf8, "ddd|MMM|tt", "周二|12月|下午"},
        {Language::TraditionalChinese, CodePage::Utf8, "ddd|dddd|MMMM|tt", "週二|星期二|12月|下午"},
    };
    for (const auto& row : cases) {
        session->language = row.language;
        session->localCodePage = row.codePage;
        EXPECT_EQ(renderDate("Tue, 01 Dec 2026 09:14:02 +0100", row.pattern), row.shown) << row.pattern;
    }
}

TEST_F(LocalDate, WithoutADateTimeItShowsWhatPercentDShows) {
    EXPECT_EQ(render("[%D{}]"), "[ ]");
    // Never read again for placeholders, converted or escaped: as %d.
    setHeader("Date", "%m %N <b>soon</b> & 100%");
    EXPECT_EQ(render("[%D{yyyy}%D{}] [%d%d]"),
              "[%m %N <b>soon</b> & 100%%m %N <b>soon</b> & 100%] [%m %N <b>soon</b> & 100%%m %N <b>soon</b> & 100%]");
}

TEST_F(LocalDate, ALoopPhaseWhoseTextTheSinglePassScans) {
    pinTimeZone("UTC0");
    setHeader("From", "Ann <ann@example.org>");
    setHeader("Date", "Tue, 01 Dec 2026 09:14:02 +0000");
    EXPECT_EQ(render("%%D{yyyy}|%D{'%a' yyyy}|%D{MM}"), "%D{yyyy}|ann@example.org 2026|12");
}

TEST_F(LocalDate, OnlyTheTemplatesOwnOccurrencesAreFilled) {
    pinTimeZone("UTC0");
    setHeader("Date", "Tue, 01 Dec 2026 09:14:02 +0000");
    setHeader("X-D", "Report %D{yyyy}");
    session->attachments.push_back({"/tmp/", "minutes %D{}.pdf"});
    writeMailboxFile("$$$00001Work.txt", "%D{yyyy}");
    // What other placeholders insert stays as they insert it.
    EXPECT_EQ(render("%h{X-D}|%LH{}|%G{work}|%CETXT{%}{%}D{yyyy}", "UTF-8"),
              "Report %D{yyyy}|  minutes %D{}.pdf|<div>%D{yyyy}</div><div></div><div></div>|%D{yyyy}");
    // A %D of the template may still hold them.
    EXPECT_EQ(render("%D{%CETXT{yyyy}{yy}}", "UTF-8"), "26");
}

TEST_F(LocalDate, ConvertedForTheCompositionCharsetAsFromIs) {
    pinTimeZone("UTC0");
    // The host shows GBK; the message is UTF-8, as are the tool's names.
    host().localCodePage = "GBK";
    host().message.charset = "UTF-8";
    session->language = InterfaceLanguage::SimplifiedChinese;
    session->localCodePage = LocalCodePage::Utf8;
    setHeader("Date", "Tue, 01 Dec 2026 09:14:02 +0000");
    EXPECT_EQ(render("%D{dddd}"), "\xD0\xC7\xC6\xDA\xB6\xFE");  // 星期二 in GBK
    EXPECT_EQ(render("%D{dddd}", "GB2312"), "星期二");
}
