#include "mime/date_header.h"

#include <cctype>
#include <cstddef>
#include <string>

#include "text/no_case.h"

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

struct NamedZone {
    const char* name;
    int offsetMinutes;
};
// Zone names that mail programs write, each for one offset. CST keeps its
// US meaning (RFC 5322) and IST the Indian one; a name with several common
// meanings (BST) is left out, and so read as an unknown name.
constexpr NamedZone kZones[] = {
    {"UT", 0},             {"UTC", 0},           {"GMT", 0},           {"WET", 0},
    {"WEST", 60},          {"CET", 60},          {"CEST", 120},        {"MET", 60},
    {"MEST", 120},         {"MEZ", 60},          {"MESZ", 120},        {"EET", 120},
    {"EEST", 180},         {"MSK", 180},         {"IST", 5 * 60 + 30}, {"PKT", 5 * 60},
    {"ICT", 7 * 60},       {"WIB", 7 * 60},      {"HKT", 8 * 60},      {"SGT", 8 * 60},
    {"AWST", 8 * 60},      {"JST", 9 * 60},      {"KST", 9 * 60},      {"ACST", 9 * 60 + 30},
    {"ACDT", 10 * 60 + 30}, {"AEST", 10 * 60},   {"AEDT", 11 * 60},    {"NZST", 12 * 60},
    {"NZDT", 13 * 60},     {"EST", -5 * 60},     {"EDT", -4 * 60},     {"CST", -6 * 60},
    {"CDT", -5 * 60},      {"MST", -7 * 60},     {"MDT", -6 * 60},     {"PST", -8 * 60},
    {"PDT", -7 * 60},      {"AKST", -9 * 60},    {"AKDT", -8 * 60},    {"HST", -10 * 60},
};

// Index of `word` in `names`, or -1.
template <std::size_t N>
int indexOf(std::string_view word, const char* const (&names)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (equalNoCase(word, names[i])) return static_cast<int>(i);
    }
    return -1;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t daysFromEpoch(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

class DateScanner {
public:
    explicit DateScanner(std::string_view text) : text_(text) {}

    std::optional<std::int64_t> scan() {
        skipSpaceAndComments();
        if (std::isalpha(peek())) {
            if (indexOf(letters(), kWeekdays) < 0 || !punctuation(',')) return std::nullopt;
        }
        const int day = number(1, 2);
        const int month = indexOf(letters(), kMonths) + 1;
        int year = number(2, 4);
        if (digitsRead_ == 2) year += year < 50 ? 2000 : 1900;
        if (digitsRead_ == 3) year += 1900;
        const int hour = number(1, 2);
        if (!punctuation(':')) return std::nullopt;
        const int minute = number(1, 2);
        const int second = punctuation(':') ? number(1, 2) : 0;
        const std::optional<int> offset = zone();
        if (failed_ || !offset || position_ != text_.size()) return std::nullopt;
        if (month < 1 || year < 1900 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 ||
            second > 60) {
            return std::nullopt;
        }
        return daysFromEpoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - *offset * 60;
    }

private:
    int peek() const { return position_ < text_.size() ? static_cast<unsigned char>(text_[position_]) : 0; }

    // White space, line folds and comments, which nest and may hold
    // backslash-quoted characters. An unclosed comment fails the scan.
    void skipSpaceAndComments() {
        int depth = 0;
        while (position_ < text_.size()) {
            const char c = text_[position_];
            if (depth > 0 && c == '\\') {
                position_ += 2;
            } else if (c == '(') {
                ++depth;
                ++position_;
            } else if (depth > 0 && c == ')') {
                --depth;
                ++position_;
            } else if (depth > 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++position_;
            } else {
                break;
            }
        }
        if (depth > 0 || position_ > text_.size()) {
            failed_ = true;
            position_ = text_.size();
        }
    }

    // A run of letters, then the space and comments after it.
    std::string_view letters() {
        const std::size_t start = position_;
        while (std::isalpha(peek())) ++position_;
        const std::string_view word = text_.substr(start, position_ - start);
        skipSpaceAndComments();
        return word;
    }

    // Between `fewest` and `most` digits, then the space and comments after them.
    int number(std::size_t fewest, std::size_t most) {
        int value = 0;
        digitsRead_ = 0;
        while (std::isdigit(peek())) {
            value = value * 10 + (peek() - '0');
            ++position_;
            if (++digitsRead_ > most) break;
        }
        if (digitsRead_ < fewest || digitsRead_ > most) failed_ = true;
        skipSpaceAndComments();
        return value;
    }

    bool punctuation(char wanted) {
        if (peek() != static_cast<unsigned char>(wanted)) return false;
        ++position_;
        skipSpaceAndComments();
        return true;
    }

    // "+hhmm", "-hhmm", a zone name, or a military letter (any but J), which
    // says nothing reliable and counts as UTC. A name of two letters or more
    // that the table does not hold is read as "-0000", as RFC 5322 asks: the
    // time is in UTC, its offset unknown.
    std::optional<int> zone() {
        const int sign = peek() == '+' ? 1 : peek() == '-' ? -1 : 0;
        if (sign != 0) {
            ++position_;
            const int hhmm = number(4, 4);
            if (failed_ || hhmm % 100 > 59) return std::nullopt;
            return sign * (hhmm / 100 * 60 + hhmm % 100);
        }
        const std::string_view name = letters();
        for (const NamedZone& zone : kZones) {
            if (equalNoCase(name, zone.name)) return zone.offsetMinutes;
        }
        if (name.size() == 1) return name[0] != 'J' && name[0] != 'j' ? std::optional<int>(0) : std::nullopt;
        return name.empty() ? std::nullopt : std::optional<int>(0);
    }

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t digitsRead_ = 0;
    bool failed_ = false;
};

}  // namespace

std::optional<std::int64_t> parseDateHeader(std::string_view text) { return DateScanner(text).scan(); }
