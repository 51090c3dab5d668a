#include "template/free_header_placeholder.h"

#include <boost/algorithm/string/erase.hpp>
#include <boost/algorithm/string/replace.hpp>

#include "template/header_fetch.h"
#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"
#include "text/html_text.h"

namespace {

// The prefix was typed in an HTML editor: its markup arrives escaped.
std::string unquotedPrefix(std::string prefix) {
    const auto first = prefix.find_first_not_of('"');
    if (first == std::string::npos) return std::string();
    prefix = prefix.substr(first, prefix.find_last_not_of('"') - first + 1);
    boost::algorithm::replace_all(prefix, "&lt;", "<");
    boost::algorithm::replace_all(prefix, "&gt;", ">");
    return prefix;
}

}  // namespace

void runFreeHeaderPhase(std::string& text, InsertedText& inserted, HostBuffer& buffer, CharsetCode code) {
    static const boost::regex pattern(placeholderPattern("h[{](\"[^}\"]*\"){0,1}([^}]*)[}]"));
    runLoopPhase(text, inserted, EarlierInsertions::Searched, pattern, 1, RenderStage::FreeHeader,
                 [&](const boost::smatch& occurrence) -> std::optional<std::string> {
                     if (occurrence[2].length() == 0) return std::string();
                     const std::string name = boost::algorithm::erase_all_copy(occurrence[2].str(), "&nbsp;");
                     const std::string fetched = fetchMessageHeader(buffer, name, kHeaderCapacity);
                     if (fetched.empty()) return std::string();
                     std::string value = htmlEscapeAngles(fetched);
                     if (occurrence[1].length() > 0) value = unquotedPrefix(occurrence[1].str()) + value;
                     return convertFromCharset(value, code);
                 });
}
