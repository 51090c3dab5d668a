#include "session/settings.h"

#include <cctype>

#include "platform/files.h"
#include "platform/ini.h"
#include "text/no_case.h"

namespace {

constexpr const char* kSection = "Settings";
constexpr int kLanguageBufferSize = 20;
constexpr int kSwitchBufferSize = 10;


bool readSwitch(const std::string& key, const std::string& settingsPath) {
    return isSwitchOn(platform::readProfileString(kSection, key, "FALSE", kSwitchBufferSize, settingsPath));
}

}  // namespace

std::string readLanguage(const std::string& settingsPath) {
    return platform::readProfileString(kSection, "Language", "English", kLanguageBufferSize, settingsPath);
}

InterfaceLanguage languageOf(const std::string& value) {
    if (beginsWithNoCase(value, "SimplifiedChinese")) return InterfaceLanguage::SimplifiedChinese;
    if (beginsWithNoCase(value, "TraditionalChinese")) return InterfaceLanguage::TraditionalChinese;
    return InterfaceLanguage::English;
}

bool isSwitchOn(const std::string& value) { return beginsWithNoCase(value, "TRUE"); }

SessionFlags readSessionFlags(const std::string& settingsPath) {
    SessionFlags flags;
    if (!platform::fileExists(settingsPath)) return flags;
    flags.convertText = readSwitch("ConvertText", settingsPath);
    flags.resetCharset = readSwitch("ResetCharset", settingsPath);
    flags.language = languageOf(readLanguage(settingsPath));
    return flags;
}

bool readResetCharset(const std::string& settingsPath) { return readSwitch("ResetCharset", settingsPath); }
