// %D{pattern}: the source message's Date in the local time zone, written by
// a date pattern (template/date_pattern.h) with the names of the session's
// language; %D{} takes the language's default pattern.
#pragma once

#include <string>

#include "mime/charset.h"
#include "template/loop_phase.h"

class ComposeSession;
class HostBuffer;

// The loop phase over the template's own text: occurrences that begin in
// what earlier phases inserted (`inserted`) stay as written. The Date header is fetched through the
// rendering's header buffer at the first occurrence. Without a Date that
// reads as a date-time an occurrence becomes "%d", which the single pass
// fills: one space for no Date, else the Date as the host gives it. Throws
// boost::regex_error.
void runLocalDatePhase(std::string& text, InsertedText& inserted, HostBuffer& buffer, const ComposeSession& session,
                       CharsetCode code);
