// The header placeholders of the single pass: %f %n %a (and %F) %t %d %i %I %s %S.
#pragma once

#include <string>

#include "mime/charset.h"

class ComposeSession;
class HostBuffer;
class SinglePass;

struct SplitAddress {
    std::string displayName;  // angle brackets escaped
    std::string address;      // escaped when taken from between "<" and ">"
};

// "Name <user@host>" into its display name ("Name ", trailing space kept)
// and address; a text without a "<...>" pair is all address, unescaped.
SplitAddress splitAddress(const std::string& text);

// The text without its first "Re:" at the start of a line (with the white
// space around it); "RE:" and a second "Re:" stay.
std::string stripReplyPrefix(const std::string& text);

// Fetches From, To, Date, Message-Id and the compose window's Subject and
// registers the nine placeholders in their fixed order, %F after %a.
void registerHeaderPlaceholders(SinglePass& pass, HostBuffer& buffer, const ComposeSession& session,
                                CharsetCode code);
