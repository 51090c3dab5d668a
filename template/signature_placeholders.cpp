#include "template/signature_placeholders.h"

#include <algorithm>

#include <boost/algorithm/string/replace.hpp>

#include "platform/files.h"
#include "session/compose_session.h"
#include "signature/signature_store.h"
#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"
#include "template/signature_html.h"

namespace {

// The name as the HTML editor stored it: typed spaces arrive as "&nbsp;".
std::string wantedSignatureName(const std::string& written) {
    if (written.empty()) return "Default";
    std::string name = boost::algorithm::replace_all_copy(written, "&nbsp;", " ");
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }), name.end());
    return name;
}

}  // namespace

void runNamedSignaturePhase(std::string& text, InsertedText& inserted, ComposeSession& session, CharsetCode code) {
    static const boost::regex pattern(placeholderPattern("G[{]([^}]*)[}]"));
    const std::string folder = signatureFolder();
    runLoopPhase(text, inserted, EarlierInsertions::Searched, pattern, 1, RenderStage::NamedSignature,
                 [&](const boost::smatch& occurrence) -> std::optional<std::string> {
                     std::string fileName;
                     const bool found =
                         findSignatureFile(folder, session, wantedSignatureName(occurrence[1].str()), false, fileName);
                     const std::string path = folder + (found ? fileName : kDefaultSignatureFile);
                     if (!platform::fileExists(path)) return std::nullopt;
                     loadSignature(session, path);
                     return convertFromCharset(signatureHtml(session), code);
                 });
}
