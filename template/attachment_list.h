// %LH{label} and %LV{label}: the source message's attachment file names,
// on one line or numbered one per line.
#pragma once

#include <string>

#include "mime/charset.h"
#include "template/loop_phase.h"

class ComposeSession;

// The label, then the file names: horizontal "label a, b", vertical
// "label<br/>(1)a<br/>(2)b". Names are not escaped. The list must not be empty.
std::string buildAttachmentList(const ComposeSession& session, bool vertical, const std::string& label);

// The %LH loop phase, then the %LV one. An empty brace keeps the previous
// label of the same kind (first " "). With no attachments every occurrence
// becomes one space. Throws boost::regex_error.
void runAttachmentListPhases(std::string& text, InsertedText& inserted, const ComposeSession& session, CharsetCode code);
