// %h{"prefix"name}: any header of the source message, after an optional
// piece of markup that appears only when the header has a value.
#pragma once

#include <string>

#include "mime/charset.h"
#include "template/loop_phase.h"

class HostBuffer;

// The loop phase over the whole text, fetching through the rendering's
// header buffer. Throws boost::regex_error.
void runFreeHeaderPhase(std::string& text, InsertedText& inserted, HostBuffer& buffer, CharsetCode code);
