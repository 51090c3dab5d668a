// %CETXT{a}{b}: the first text under a Chinese charset, else the second.
#pragma once

#include <string>

#include "mime/charset.h"
#include "template/loop_phase.h"

// The loop phase over the whole text. An empty brace keeps the text of the
// previous occurrence in that position. Throws boost::regex_error.
void runCharsetTextPhase(std::string& text, InsertedText& inserted, CharsetCode code);
