// The plug-in's own settings file: an INI file next to the module, section
// "Settings", read only. Missing file, section or key give the defaults.
#pragma once

#include <string>

#include "session/compose_session.h"

// The "Language" value, cut to 19 characters; "English" by default.
std::string readLanguage(const std::string& settingsPath);

// Case-insensitive prefix match: "SimplifiedChinese", then "TraditionalChinese";
// anything else is English.
InterfaceLanguage languageOf(const std::string& value);

// A switch is on when its first four characters are "TRUE" in any case.
bool isSwitchOn(const std::string& value);

// The flags a new compose session starts with: both off, and English, when
// the settings file does not exist.
SessionFlags readSessionFlags(const std::string& settingsPath);

// "ResetCharset" read afresh, each time the compose pop-up menu opens.
bool readResetCharset(const std::string& settingsPath);
