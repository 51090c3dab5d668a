#include "template/date_pattern.h"

#include <cctype>
#include <cstdlib>
#include <optional>

namespace {

constexpr char kQuote = '\'';

std::string number(int value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

// "+08:00", "-05:00".
std::string offsetText(int minutes) {
    const char sign = minutes < 0 ? '-' : '+';
    minutes = std::abs(minutes);
    return sign + number(minutes / 60, 2) + ':' + number(minutes % 60, 2);
}

// The text of a run of `count` letters `letter`; none when the run is no
// part of a date.
std::optional<std::string> field(char letter, std::size_t count, const platform::LocalTime& time,
                                 const DateNames& names) {
    const bool numeric = count <= 2;
    switch (letter) {
        case 'y':
            if (count == 2) return number(time.year % 100, 2);
            if (count == 4) return number(time.year, 4);
            break;
        case 'M':
            if (numeric) return number(time.month, count);
            if (count == 3) return names.months[time.month - 1];
            if (count == 4) return names.fullMonths[time.month - 1];
            break;
        case 'd':
            if (numeric) return number(time.day, count);
            if (count == 3) return names.weekdays[time.weekday];
            if (count == 4) return names.fullWeekdays[time.weekday];
            break;
        case 'H':
            if (numeric) return number(time.hour, count);
            break;
        case 'h':
            if (numeric) return number(time.hour % 12 == 0 ? 12 : time.hour % 12, count);
            break;
        case 'm':
            if (numeric) return number(time.minute, count);
            break;
        case 's':
            if (numeric) return number(time.second, count);
            break;
        case 't':
            if (count == 2) return time.hour < 12 ? names.am : names.pm;
            break;
        case 'z':
            if (count == 3) return offsetText(time.offsetMinutes);
            break;
        default:
            break;
    }
    return std::nullopt;
}

// The length of a character entity ("&amp;", "&#39;", "&#x27;") at `at`, or 0.
std::size_t entityLength(std::string_view pattern, std::size_t at) {
    if (pattern[at] != '&') return 0;
    std::size_t end = at + 1;
    while (end < pattern.size() && (std::isalnum(static_cast<unsigned char>(pattern[end])) || pattern[end] == '#')) {
        ++end;
    }
    return end > at + 1 && end < pattern.size() && pattern[end] == ';' ? end - at + 1 : 0;
}

}  // namespace

std::string formatDate(const platform::LocalTime& time, std::string_view pattern, const DateNames& names) {
    std::string out;
    bool quoted = false;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const char c = pattern[at];
        if (c == kQuote) {
            if (at + 1 < pattern.size() && pattern[at + 1] == kQuote) {
                out += kQuote;
                at += 2;
            } else {
                quoted = !quoted;
                ++at;
            }
            continue;
        }
        std::size_t length = quoted ? 1 : entityLength(pattern, at);
        if (length == 0) {
            const std::size_t runEnd = pattern.find_first_not_of(c, at);
            length = (runEnd == std::string_view::npos ? pattern.size() : runEnd) - at;
            if (const std::optional<std::string> text = field(c, length, time, names)) {
                out += *text;
                at += length;
                continue;
            }
        }
        out.append(pattern.substr(at, length));
        at += length;
    }
    return out;
}

std::size_t findUnterminatedQuote(std::string_view pattern) {
    std::size_t opened = std::string_view::npos;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != kQuote) continue;
        if (at + 1 < pattern.size() && pattern[at + 1] == kQuote) {
            ++at;
        } else {
            opened = opened == std::string_view::npos ? at : std::string_view::npos;
        }
    }
    return opened;
}
