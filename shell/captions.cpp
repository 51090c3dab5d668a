#include "shell/captions.h"

#include <cstring>

#include "platform/host_api.h"

namespace {

constexpr int kCaptionBlockSize = 40;
constexpr int kCaptionCount = 5;

const CaptionTexts kEnglish = {
    "Save replying/forwarding template",
    "Edit replying template",
    "Edit forwarding template",
    "Refresh",
    "Auto Select",
};

// GBK bytes.
const CaptionTexts kSimplifiedChinese = {
    "\xB1\xA3\xB4\xE6 HTML \xBB\xD8\xB8\xB4/\xD7\xAA\xB7\xA2\xC4\xA3\xB0\xE5",
    "\xB1\xE0\xBC\xAD HTML \xBB\xD8\xB8\xB4\xC4\xA3\xB0\xE5",
    "\xB1\xE0\xBC\xAD HTML \xD7\xAA\xB7\xA2\xC4\xA3\xB0\xE5",
    "\xCB\xA2\xD0\xC2\xD2\xB3\xC3\xE6",
    "\xD7\xD4\xB6\xAF\xD1\xA1\xD4\xF1",
};

// Big5 bytes.
const CaptionTexts kTraditionalChinese = {
    "\xAB\x4F\xA6\x73 HTML \xA6\x5E\xC2\xD0/\xC2\xE0\xB1\x48\xBC\xD2\xAA\x4F",
    "\xBD\x73\xBF\xE8 HTML \xA6\x5E\xC2\xD0\xBC\xD2\xAA\x4F",
    "\xBD\x73\xBF\xE8 HTML \xC2\xE0\xB1\x48\xBC\xD2\xAA\x4F",
    "\xA8\xEA\xB7\x73\xAD\xB6\xAD\xB1",
    "\xA6\xDB\xB0\xCA\xBF\xEF\xA8\xFA",
};

// saveTemplate, editReply, editForward, refresh, autoSelect.
char* gCaptions[kCaptionCount] = {nullptr, nullptr, nullptr, nullptr, nullptr};

char* hostCopy(const char* text) {
    char* block = static_cast<char*>(hostApi().BKA_Alloc(kCaptionBlockSize));
    if (!block) return nullptr;
    std::strncpy(block, text, kCaptionBlockSize - 1);
    block[kCaptionBlockSize - 1] = '\0';
    return block;
}

}  // namespace

const CaptionTexts& captionTextsFor(InterfaceLanguage language) {
    switch (language) {
        case InterfaceLanguage::SimplifiedChinese: return kSimplifiedChinese;
        case InterfaceLanguage::TraditionalChinese: return kTraditionalChinese;
        case InterfaceLanguage::English: break;
    }
    return kEnglish;
}

void loadCaptions(const std::string& settingsPath) {
    const CaptionTexts& texts = captionTextsFor(languageOf(readLanguage(settingsPath)));
    releaseCaptions();
    const char* chosen[kCaptionCount] = {texts.saveTemplate, texts.editReply, texts.editForward, texts.refresh,
                                         texts.autoSelect};
    for (int i = 0; i < kCaptionCount; ++i) gCaptions[i] = hostCopy(chosen[i]);
}

void releaseCaptions() {
    for (char*& caption : gCaptions) {
        if (caption) hostApi().BKA_Free(caption);
        caption = nullptr;
    }
}

const char* saveTemplateCaption() { return gCaptions[0]; }
const char* editReplyCaption() { return gCaptions[1]; }
const char* editForwardCaption() { return gCaptions[2]; }
const char* refreshCaption() { return gCaptions[3]; }
const char* autoCaption() { return gCaptions[4]; }
