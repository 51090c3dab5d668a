#include "platform/time_zone_rule.h"

#include <cctype>

namespace platform {
namespace {

std::optional<TimeZoneRule>& ruleInForce() {
    static std::optional<TimeZoneRule> rule;
    return rule;
}

class RuleReader {
public:
    explicit RuleReader(const std::string& text) : text_(text) {}

    bool atEnd() const { return at_ == text_.size(); }
    bool next(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    // Three or more letters, or "<" any of letters, digits, "+", "-" ">".
    bool name() {
        if (next('<')) {
            const std::size_t close = text_.find('>', at_);
            if (close == std::string::npos || close - at_ < 3) return false;
            at_ = close + 1;
            return true;
        }
        const std::size_t from = at_;
        while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) ++at_;
        return at_ - from >= 3;
    }

    bool number(int& value, int most) {
        const std::size_t from = at_;
        value = 0;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) && at_ - from < 3) {
            value = value * 10 + (text_[at_++] - '0');
        }
        return at_ > from && value <= most;
    }

    // [+-]hh[:mm[:ss]] in seconds.
    bool clock(int& seconds, int mostHours) {
        const int sign = next('-') ? -1 : (next('+'), 1);
        int hours = 0, minutes = 0, secs = 0;
        if (!number(hours, mostHours)) return false;
        if (next(':') && (!number(minutes, 59) || (next(':') && !number(secs, 59)))) return false;
        seconds = sign * (hours * 3600 + minutes * 60 + secs);
        return true;
    }

    bool transition(TimeZoneRule::Transition& transition) {
        if (next('M')) {
            transition.kind = 'M';
            if (!number(transition.month, 12) || transition.month < 1 || !next('.') || !number(transition.week, 5) ||
                transition.week < 1 || !next('.') || !number(transition.day, 6)) {
                return false;
            }
        } else if (next('J')) {
            transition.kind = 'J';
            if (!number(transition.day, 365) || transition.day < 1) return false;
        } else {
            transition.kind = 'D';
            if (!number(transition.day, 365)) return false;
        }
        return !next('/') || clock(transition.seconds, 167);
    }

private:
    const std::string& text_;
    std::size_t at_ = 0;
};

bool isLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The transition of `year` as seconds since the epoch in local wall time.
std::int64_t transitionLocal(const TimeZoneRule::Transition& transition, std::int64_t year) {
    std::int64_t days = 0;
    if (transition.kind == 'J') {
        days = daysFromCivil(year, 1, 1) + transition.day - 1 + (isLeap(year) && transition.day >= 60);
    } else if (transition.kind == 'D') {
        days = daysFromCivil(year, 1, 1) + transition.day;
    } else {
        const std::int64_t first = daysFromCivil(year, transition.month, 1);
        const int firstWeekday = static_cast<int>(((first + 4) % 7 + 7) % 7);
        days = first + (transition.day - firstWeekday + 7) % 7 + 7 * (transition.week - 1);
        static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const int monthDays = kMonthDays[transition.month - 1] + (transition.month == 2 && isLeap(year));
        while (days - first >= monthDays) days -= 7;  // week 5: the last such day
    }
    return days * 86400 + transition.seconds;
}

bool inDaylightTime(const TimeZoneRule& rule, std::int64_t utc) {
    std::int64_t year = 0;
    int month = 0, day = 0;
    civilFromDays(floorDiv(utc + rule.standardOffset, 86400), year, month, day);
    const std::int64_t start = transitionLocal(rule.start, year) - rule.standardOffset;
    const std::int64_t end = transitionLocal(rule.end, year) - rule.daylightOffset;
    return start < end ? (utc >= start && utc < end) : !(utc >= end && utc < start);
}

}  // namespace

std::optional<TimeZoneRule> parseTimeZoneRule(const std::string& text) {
    if (text == "UTC" || text == "GMT" || text == "Z") return TimeZoneRule{};
    RuleReader reader(text);
    TimeZoneRule rule;
    int offset = 0;
    if (!reader.name() || !reader.clock(offset, 24)) return std::nullopt;
    rule.standardOffset = -offset;
    if (reader.atEnd()) return rule;
    if (!reader.name()) return std::nullopt;
    rule.hasDaylight = true;
    rule.daylightOffset = rule.standardOffset + 3600;
    if (!reader.atEnd() && !reader.next(',')) {
        if (!reader.clock(offset, 24)) return std::nullopt;
        rule.daylightOffset = -offset;
        if (!reader.atEnd() && !reader.next(',')) return std::nullopt;
    }
    if (reader.atEnd()) {
        // No dates: the United States' rule since 2007, as the C library takes.
        rule.start = {'M', 3, 2, 0, 7200};
        rule.end = {'M', 11, 1, 0, 7200};
        return rule;
    }
    if (!reader.transition(rule.start) || !reader.next(',') || !reader.transition(rule.end) || !reader.atEnd()) {
        return std::nullopt;
    }
    return rule;
}

LocalTime localTimeByRule(const TimeZoneRule& rule, std::int64_t secondsSinceEpoch) {
    const int offset = rule.hasDaylight && inDaylightTime(rule, secondsSinceEpoch) ? rule.daylightOffset
                                                                                    : rule.standardOffset;
    const std::int64_t local = secondsSinceEpoch + offset;
    const std::int64_t days = floorDiv(local, 86400);
    const std::int64_t secondOfDay = local - days * 86400;
    LocalTime result;
    std::int64_t year = 0;
    civilFromDays(days, year, result.month, result.day);
    result.year = static_cast<int>(year);
    result.weekday = static_cast<int>(((days + 4) % 7 + 7) % 7);
    result.hour = static_cast<int>(secondOfDay / 3600);
    result.minute = static_cast<int>(secondOfDay / 60 % 60);
    result.second = static_cast<int>(secondOfDay % 60);
    result.offsetMinutes = offset / 60;
    return result;
}

void setTimeZoneRule(const std::optional<TimeZoneRule>& rule) { ruleInForce() = rule; }

const std::optional<TimeZoneRule>& timeZoneRule() { return ruleInForce(); }

}  // namespace platform
