#include "template/date_names.h"

namespace {

using MonthNames = std::array<const char*, 12>;
using WeekdayNames = std::array<const char*, 7>;

const MonthNames kEnglishMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const MonthNames kEnglishFullMonths = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
const WeekdayNames kEnglishWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const WeekdayNames kEnglishFullWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

const DateNames kEnglish = {kEnglishMonths, kEnglishFullMonths, kEnglishWeekdays, kEnglishFullWeekdays,
                            "AM",           "PM",               "ddd, d MMM yyyy HH:mm"};

// GBK: 1月 ... 12月; 周日 ... 周六; 星期日 ... 星期六; 上午, 下午; yyyy'年'M'月'd'日' dddd HH:mm.
const MonthNames kGbkMonths = {"1\xD4\xC2", "2\xD4\xC2", "3\xD4\xC2",  "4\xD4\xC2",  "5\xD4\xC2",  "6\xD4\xC2",
                               "7\xD4\xC2", "8\xD4\xC2", "9\xD4\xC2", "10\xD4\xC2", "11\xD4\xC2", "12\xD4\xC2"};
const WeekdayNames kGbkWeekdays = {"\xD6\xDC\xC8\xD5", "\xD6\xDC\xD2\xBB", "\xD6\xDC\xB6\xFE", "\xD6\xDC\xC8\xFD",
                                   "\xD6\xDC\xCB\xC4", "\xD6\xDC\xCE\xE5", "\xD6\xDC\xC1\xF9"};
const WeekdayNames kGbkFullWeekdays = {"\xD0\xC7\xC6\xDA\xC8\xD5", "\xD0\xC7\xC6\xDA\xD2\xBB",
                                       "\xD0\xC7\xC6\xDA\xB6\xFE", "\xD0\xC7\xC6\xDA\xC8\xFD",
                                       "\xD0\xC7\xC6\xDA\xCB\xC4", "\xD0\xC7\xC6\xDA\xCE\xE5",
                                       "\xD0\xC7\xC6\xDA\xC1\xF9"};
const DateNames kSimplifiedGbk = {kGbkMonths,
                                  kGbkMonths,
                                  kGbkWeekdays,
                                  kGbkFullWeekdays,
                                  "\xC9\xCF\xCE\xE7",
                                  "\xCF\xC2\xCE\xE7",
                                  "yyyy'\xC4\xEA'M'\xD4\xC2'd'\xC8\xD5' dddd HH:mm"};

// Big5: 1月 ... 12月; 週日 ... 週六; 星期日 ... 星期六; 上午, 下午; yyyy'年'M'月'd'日' dddd HH:mm.
const MonthNames kBig5Months = {"1\xA4\xEB", "2\xA4\xEB", "3\xA4\xEB",  "4\xA4\xEB",  "5\xA4\xEB",  "6\xA4\xEB",
                                "7\xA4\xEB", "8\xA4\xEB", "9\xA4\xEB", "10\xA4\xEB", "11\xA4\xEB", "12\xA4\xEB"};
const WeekdayNames kBig5Weekdays = {"\xB6\x67\xA4\xE9", "\xB6\x67\xA4\x40", "\xB6\x67\xA4\x47", "\xB6\x67\xA4\x54",
                                    "\xB6\x67\xA5\x7C", "\xB6\x67\xA4\xAD", "\xB6\x67\xA4\xBB"};
const WeekdayNames kBig5FullWeekdays = {"\xAC\x50\xB4\xC1\xA4\xE9", "\xAC\x50\xB4\xC1\xA4\x40",
                                        "\xAC\x50\xB4\xC1\xA4\x47", "\xAC\x50\xB4\xC1\xA4\x54",
                                        "\xAC\x50\xB4\xC1\xA5\x7C", "\xAC\x50\xB4\xC1\xA4\xAD",
                                        "\xAC\x50\xB4\xC1\xA4\xBB"};
const DateNames kTraditionalBig5 = {kBig5Months,
                                    kBig5Months,
                                    kBig5Weekdays,
                                    kBig5FullWeekdays,
                                    "\xA4\x57\xA4\xC8",
                                    "\xA4\x55\xA4\xC8",
                                    "yyyy'\xA6\x7E'M'\xA4\xEB'd'\xA4\xE9' dddd HH:mm"};

// UTF-8: the same texts.
const MonthNames kUtf8Months = {"1\xE6\x9C\x88", "2\xE6\x9C\x88",  "3\xE6\x9C\x88",  "4\xE6\x9C\x88",
                                "5\xE6\x9C\x88", "6\xE6\x9C\x88",  "7\xE6\x9C\x88",  "8\xE6\x9C\x88",
                                "9\xE6\x9C\x88", "10\xE6\x9C\x88", "11\xE6\x9C\x88", "12\xE6\x9C\x88"};
const WeekdayNames kUtf8SimplifiedWeekdays = {"\xE5\x91\xA8\xE6\x97\xA5", "\xE5\x91\xA8\xE4\xB8\x80",
                                              "\xE5\x91\xA8\xE4\xBA\x8C", "\xE5\x91\xA8\xE4\xB8\x89",
                                              "\xE5\x91\xA8\xE5\x9B\x9B", "\xE5\x91\xA8\xE4\xBA\x94",
                                              "\xE5\x91\xA8\xE5\x85\xAD"};
const WeekdayNames kUtf8TraditionalWeekdays = {"\xE9\x80\xB1\xE6\x97\xA5", "\xE9\x80\xB1\xE4\xB8\x80",
                                               "\xE9\x80\xB1\xE4\xBA\x8C", "\xE9\x80\xB1\xE4\xB8\x89",
                                               "\xE9\x80\xB1\xE5\x9B\x9B", "\xE9\x80\xB1\xE4\xBA\x94",
                                               "\xE9\x80\xB1\xE5\x85\xAD"};
const WeekdayNames kUtf8FullWeekdays = {"\xE6\x98\x9F\xE6\x9C\x9F\xE6\x97\xA5", "\xE6\x98\x9F\xE6\x9C\x9F\xE4\xB8\x80",
                                        "\xE6\x98\x9F\xE6\x9C\x9F\xE4\xBA\x8C", "\xE6\x98\x9F\xE6\x9C\x9F\xE4\xB8\x89",
                                        "\xE6\x98\x9F\xE6\x9C\x9F\xE5\x9B\x9B", "\xE6\x98\x9F\xE6\x9C\x9F\xE4\xBA\x94",
                                        "\xE6\x98\x9F\xE6\x9C\x9F\xE5\x85\xAD"};
constexpr const char* kUtf8Am = "\xE4\xB8\x8A\xE5\x8D\x88";
constexpr const char* kUtf8Pm = "\xE4\xB8\x8B\xE5\x8D\x88";
constexpr const char* kUtf8ChinesePattern = "yyyy'\xE5\xB9\xB4'M'\xE6\x9C\x88'd'\xE6\x97\xA5' dddd HH:mm";
const DateNames kSimplifiedUtf8 = {kUtf8Months, kUtf8Months, kUtf8SimplifiedWeekdays, kUtf8FullWeekdays,
                                   kUtf8Am,     kUtf8Pm,     kUtf8ChinesePattern};
const DateNames kTraditionalUtf8 = {kUtf8Months, kUtf8Months, kUtf8TraditionalWeekdays, kUtf8FullWeekdays,
                                    kUtf8Am,     kUtf8Pm,     kUtf8ChinesePattern};

}  // namespace

const DateNames& dateNamesFor(InterfaceLanguage language, LocalCodePage codePage) {
    const bool utf8 = codePage == LocalCodePage::Utf8;
    switch (language) {
        case InterfaceLanguage::SimplifiedChinese: return utf8 ? kSimplifiedUtf8 : kSimplifiedGbk;
        case InterfaceLanguage::TraditionalChinese: return utf8 ? kTraditionalUtf8 : kTraditionalBig5;
        case InterfaceLanguage::English: break;
    }
    return kEnglish;
}
