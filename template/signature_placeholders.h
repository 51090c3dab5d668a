// %G{name}: a named signature of the mailbox, as HTML.
#pragma once

#include <string>

#include "mime/charset.h"
#include "template/loop_phase.h"

class ComposeSession;

// The loop phase over the whole text. An occurrence whose signature file
// (and the default file) does not exist stays as written. The session's
// current signature is the last one loaded. Throws boost::regex_error.
void runNamedSignaturePhase(std::string& text, InsertedText& inserted, ComposeSession& session, CharsetCode code);
