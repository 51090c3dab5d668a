#include "template/local_date_placeholder.h"

#include <cstdint>
#include <optional>

#include <boost/algorithm/string/replace.hpp>

#include "mime/date_header.h"
#include "platform/local_time.h"
#include "session/compose_session.h"
#include "template/date_names.h"
#include "template/date_pattern.h"
#include "template/header_fetch.h"
#include "template/loop_phase.h"
#include "template/placeholder_pattern.h"

namespace {

constexpr const char* kDatePlaceholder = "%d";

struct MessageDate {
    std::string text;                          // as the host gives it
    std::optional<platform::LocalTime> local;  // none when it cannot be read
};

MessageDate fetchMessageDate(HostBuffer& buffer) {
    MessageDate date;
    date.text = fetchMessageHeader(buffer, "Date", kDateCapacity);
    if (const std::optional<std::int64_t> instant = parseDateHeader(date.text)) {
        date.local = platform::localTimeAt(*instant);
    }
    return date;
}

}  // namespace

void runLocalDatePhase(std::string& text, InsertedText& inserted, HostBuffer& buffer, const ComposeSession& session,
                       CharsetCode code) {
    static const boost::regex pattern(placeholderPattern("D[{]([^}]*)[}]"));
    const DateNames& names = dateNamesFor(session.language, session.localCodePage);
    std::optional<MessageDate> date;
    runLoopPhase(text, inserted, EarlierInsertions::LeftAlone, pattern, 1, RenderStage::LocalDate,
                 [&](const boost::smatch& occurrence) -> std::optional<std::string> {
                     if (!date) date = fetchMessageDate(buffer);
                     // No Date, or none that reads as a date-time: what %d shows.
                     // The single pass puts the Date in and never reads it
                     // again, so a Date of "%m" or "%R" stays as written.
                     if (!date->local) return std::string(kDatePlaceholder);
                     // Typed in an HTML editor: a space may arrive as "&nbsp;".
                     std::string picture = boost::algorithm::replace_all_copy(occurrence[1].str(), "&nbsp;", " ");
                     if (picture.empty()) picture = names.defaultPattern;
                     return convertFromCharset(formatDate(*date->local, picture, names), code);
                 });
}
