#include "template/charset_text.h"

#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"

void runCharsetTextPhase(std::string& text, InsertedText& inserted, CharsetCode code) {
    static const boost::regex pattern(placeholderPattern("CETXT[{]([^}]*)[}][{]([^}]*)[}]"));
    const bool chinese = isChineseCharset(code);
    std::string chineseText;
    std::string otherText;
    runLoopPhase(text, inserted, EarlierInsertions::Searched, pattern, 2, RenderStage::CharsetText, [&](const boost::smatch& occurrence) {
        if (occurrence[1].length() > 0) chineseText = occurrence[1].str();
        if (occurrence[2].length() > 0) otherText = occurrence[2].str();
        return std::optional<std::string>(chinese ? chineseText : otherText);
    });
}
