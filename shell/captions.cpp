#include "shell/captions.h"

#include <cstring>

#include "platform/host_block.h"
#include "platform/no_destructor.h"

namespace {

constexpr std::size_t kCaptionBlockSize = 40;

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

// The captions in use, one host block each (empty when the host had none).
struct CaptionBlocks {
    HostBlock saveTemplate;
    HostBlock editReply;
    HostBlock editForward;
    HostBlock refresh;
    HostBlock autoSelect;
};

CaptionBlocks& captionBlocks() {
    // Released by BKC_OnExit, never by the module's detach: the host may be
    // gone by then.
    static platform::NoDestructor<CaptionBlocks> blocks;
    return blocks.get();
}

HostBlock hostCopy(const char* text) {
    HostBlock block = allocateHostBlock(kCaptionBlockSize);
    if (!block) return block;
    std::strncpy(block.get(), text, kCaptionBlockSize - 1);
    block.get()[kCaptionBlockSize - 1] = '\0';
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
    // The earlier blocks go back before the new ones are taken.
    releaseCaptions();
    CaptionBlocks& blocks = captionBlocks();
    blocks.saveTemplate = hostCopy(texts.saveTemplate);
    blocks.editReply = hostCopy(texts.editReply);
    blocks.editForward = hostCopy(texts.editForward);
    blocks.refresh = hostCopy(texts.refresh);
    blocks.autoSelect = hostCopy(texts.autoSelect);
}

void releaseCaptions() { captionBlocks() = CaptionBlocks(); }

const char* saveTemplateCaption() { return captionBlocks().saveTemplate.get(); }
const char* editReplyCaption() { return captionBlocks().editReply.get(); }
const char* editForwardCaption() { return captionBlocks().editForward.get(); }
const char* refreshCaption() { return captionBlocks().refresh.get(); }
const char* autoCaption() { return captionBlocks().autoSelect.get(); }
