#include "template/attachment_list.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>

#include "session/compose_session.h"
#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"

namespace {

void runAttachmentListPhase(std::string& text, InsertedText& inserted, const ComposeSession& session, CharsetCode code,
                            bool vertical) {
    static const boost::regex horizontalPattern(placeholderPattern("LH[{]([^}]*)[}]"));
    static const boost::regex verticalPattern(placeholderPattern("LV[{]([^}]*)[}]"));
    std::string label = " ";
    runLoopPhase(text, inserted, EarlierInsertions::Searched, vertical ? verticalPattern : horizontalPattern, 1,
                 vertical ? RenderStage::AttachmentListV : RenderStage::AttachmentListH,
                 [&](const boost::smatch& occurrence) -> std::optional<std::string> {
                     if (occurrence[1].length() > 0) {
                         label = boost::algorithm::replace_all_copy(occurrence[1].str(), "&nbsp;", " ");
                     }
                     if (session.attachments.empty()) return std::string(" ");
                     return convertFromCharset(buildAttachmentList(session, vertical, label), code);
                 });
}

}  // namespace

std::string buildAttachmentList(const ComposeSession& session, bool vertical, const std::string& label) {
    std::string list = label;
    list += vertical ? "<br/>" : " ";
    for (std::size_t i = 0; i < session.attachments.size(); ++i) {
        if (vertical) {
            list += i == 0 ? (boost::format("(%d)") % 1).str() : (boost::format("<br/>(%d)") % (i + 1)).str();
        } else if (i > 0) {
            list += ", ";
        }
        list += session.attachments[i].fileName;
    }
    return list;
}

void runAttachmentListPhases(std::string& text, InsertedText& inserted, const ComposeSession& session, CharsetCode code) {
    runAttachmentListPhase(text, inserted, session, code, false);
    runAttachmentListPhase(text, inserted, session, code, true);
}
