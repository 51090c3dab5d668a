#include "template/header_placeholders.h"

#include <boost/regex.hpp>

#include "mime/trim_content_id.h"
#include "shell/compose_session.h"
#include "template/header_fetch.h"
#include "template/html_escape.h"
#include "template/placeholder_pattern.h"
#include "template/single_pass.h"

SplitAddress splitAddress(const std::string& text) {
    static const boost::regex bracketed("[^<]*<(.*)>[^>]*");
    static const boost::regex beforeBracket("([^>]*)<");
    SplitAddress result;
    boost::smatch match;
    if (!boost::regex_search(text, match, bracketed)) {
        result.address = text;
        return result;
    }
    result.address = htmlEscapeAngles(match[1].str());
    if (boost::regex_search(text, match, beforeBracket)) result.displayName = htmlEscapeAngles(match[1].str());
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
