// Month and weekday names, AM/PM designators and the default date pattern of
// each interface language, as bytes of the local code page: Chinese in GBK
// (Simplified) or Big5 (Traditional), as the menus have it, or in UTF-8.
#pragma once

#include <array>

#include "session/compose_session.h"

struct DateNames {
    const std::array<const char*, 12>& months;       // MMM, January first
    const std::array<const char*, 12>& fullMonths;   // MMMM
    const std::array<const char*, 7>& weekdays;      // ddd, Sunday first
    const std::array<const char*, 7>& fullWeekdays;  // dddd
    const char* am;
    const char* pm;
    const char* defaultPattern;  // what an empty pattern stands for
};

const DateNames& dateNamesFor(InterfaceLanguage language, LocalCodePage codePage);
