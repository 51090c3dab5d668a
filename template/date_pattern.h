// Date and time pictures as in the Windows regional settings: runs of
// pattern letters become parts of a date (yy yyyy, M MM MMM MMMM, d dd ddd
// dddd, H HH, h hh, m mm, s ss, tt, zzz), text in single quotes is literal
// and '' is one quote; any other character, and a run of a pattern letter of
// another length ("yyy", a lone "t"), is literal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/local_time.h"
#include "template/date_names.h"

// `pattern` comes from the template's HTML: a character entity ("&amp;")
// is copied whole, so that its letters are never read as pattern letters.
// A quote that no quote closes makes the rest of the pattern literal.
std::string formatDate(const platform::LocalTime& time, std::string_view pattern, const DateNames& names);

// Where the pattern opens a quote that nothing closes; npos when it does not.
std::size_t findUnterminatedQuote(std::string_view pattern);
