#include "template/header_placeholders.h"

#include <boost/regex.hpp>

#include "mime/trim_content_id.h"
#include "session/compose_session.h"
#include "template/first_name.h"
#include "template/header_fetch.h"
#include "template/placeholder_pattern.h"
#include "template/single_pass.h"
#include "text/html_text.h"

// What the patterns "[^<]*<(.*)>[^>]*" and "([^>]*)<" find, in one pass
// each: a regex search tries every "<" and scans to the end from each, so a
// From header of many "<" and no ">" exceeded the matcher's limits.
SplitAddress splitAddress(const std::string& text) {
    SplitAddress result;
    // The address runs from the first "<" to the last ">" after it.
    const std::size_t opening = text.find('<');
    const std::size_t closing = text.rfind('>');
    if (opening == std::string::npos || closing == std::string::npos || closing < opening) {
        result.address = text;
        return result;
    }
    result.address = htmlEscapeAngles(text.substr(opening + 1, closing - opening - 1));
    // The name runs from the ">" before the first "<" (or the start) to the
    // last "<" before the first ">" after it.
    const std::size_t before = opening == 0 ? std::string::npos : text.rfind('>', opening - 1);
    const std::size_t nameStart = before == std::string::npos ? 0 : before + 1;
    const std::size_t nameEnd = text.rfind('<', text.find('>', opening));
    result.displayName = htmlEscapeAngles(text.substr(nameStart, nameEnd - nameStart));
    return result;
}

std::string stripReplyPrefix(const std::string& text) {
    static const boost::regex replyPrefix("^[[:space:]]*Re:[[:space:]]*");
    return boost::regex_replace(text, replyPrefix, "", boost::format_first_only);
}

void registerHeaderPlaceholders(SinglePass& pass, HostBuffer& buffer, const ComposeSession& session,
                                CharsetCode code) {
    const std::string from = fetchMessageHeader(buffer, "From", kHeaderCapacity);
    pass.registerPlaceholder(htmlEscapeAngles(convertFromCharset(from, code)), placeholderPattern("f"));
    SplitAddress split = splitAddress(from);
    pass.registerPlaceholder(std::move(split.displayName), placeholderPattern("n"));
    pass.registerPlaceholder(std::move(split.address), placeholderPattern("a"));
    registerFirstNamePlaceholder(pass, buffer, from, code);

    const std::string to = fetchMessageHeader(buffer, "To", kHeaderCapacity);
    pass.registerPlaceholder(htmlEscapeAngles(convertFromCharset(to, code)), placeholderPattern("t"));

    pass.registerPlaceholder(fetchMessageHeader(buffer, "Date", kDateCapacity), placeholderPattern("d"));

    const std::string messageId = fetchMessageHeader(buffer, "Message-Id", kHeaderCapacity);
    pass.registerPlaceholder(htmlEscapeAngles(messageId), placeholderPattern("i"));
    pass.registerPlaceholder(trimContentId(messageId), placeholderPattern("I"));

    const std::string subject =
        convertFromCharset(fetchComposeHeader(buffer, session.composeWindow, "Subject", kHeaderCapacity), code);
    pass.registerPlaceholder(subject, placeholderPattern("s"));
    pass.registerPlaceholder(stripReplyPrefix(subject), placeholderPattern("S"));
}
