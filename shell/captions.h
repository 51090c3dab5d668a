// The texts of the plug-in's menu items in the interface language. They live
// in 40-byte blocks from the host (the menus are narrow-character menus, so
// Chinese texts are GBK or Big5 bytes), valid until the next loadCaptions or
// releaseCaptions.
#pragma once

#include <string>

#include "session/settings.h"

struct CaptionTexts {
    const char* saveTemplate;
    const char* editReply;
    const char* editForward;
    const char* refresh;
    const char* autoSelect;
};

// The five texts of a language, as bytes for the narrow menus.
const CaptionTexts& captionTextsFor(InterfaceLanguage language);

// Reads "Language" from the settings file and fills the five caption blocks,
// releasing those of an earlier call.
void loadCaptions(const std::string& settingsPath);

// Gives the blocks back to the host; the captions are null afterwards.
void releaseCaptions();

const char* saveTemplateCaption();
const char* editReplyCaption();
const char* editForwardCaption();
const char* refreshCaption();
const char* autoCaption();
