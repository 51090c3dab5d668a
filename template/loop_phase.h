// A loop phase of a rendering: search a pattern from the start of the text,
// replace the occurrence, search again from the start, until none is left.
// Restarting means the look-behind always sees the real character before an
// occurrence, and text that an earlier phase inserted is handled here.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <boost/regex.hpp>

#include "template/render_stage.h"

// The replacement for one occurrence, or none to leave it as it is (the
// search then goes on after it).
using OccurrenceReplacer = std::function<std::optional<std::string>(const boost::smatch& occurrence)>;

// Occurrences that begin inside text this same phase inserted are left
// alone: a value that contains its own placeholder (a header value holding
// "%h{...}", an attachment named "%LH{}.txt") would otherwise be expanded
// forever. Calls enterRenderStage(stage) before every search.
void runLoopPhase(std::string& text, const boost::regex& pattern, RenderStage stage,
                  const OccurrenceReplacer& replacementFor);
