// Static checks of a template's HTML, for template authors: the placeholders
// it holds and texts that look like a mistyped placeholder.
#pragma once

#include <string>
#include <vector>

namespace torvane {

struct TemplateFinding {
    int line = 0;       // 1-based line of the HTML part
    std::string text;   // the placeholder or suspicious text as written
    std::string note;   // for warnings: why it is suspicious
};

struct TemplateCheck {
    std::vector<TemplateFinding> placeholders;
    std::vector<TemplateFinding> warnings;
    bool hasTextElement = false;  // an element with id "torvane_text_id"
};

TemplateCheck checkTemplateHtml(const std::string& html);

// The template's decoded HTML, through the same parsing and decoding the
// plug-in uses (the simulated host reset to `tempFolder`); throws UsageError
// when there is none.
std::string templateHtml(const std::string& path, const std::string& source, const std::string& tempFolder);

}  // namespace torvane
