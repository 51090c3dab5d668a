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
//
// Requires: `pattern` is a placeholder pattern ("%" not after "%", a name,
// then `braceGroups` groups "{...}" whose text holds no "}", so that every
// occurrence ends in "}"); it looks back no further than the one character
// before an occurrence. The phase then
// costs time in proportion to the text and what it inserts, not to their
// product: a search can begin again before the last replacement only where
// that replacement could complete an occurrence, and it begins there, with
// the same results as a search from the start.
void runLoopPhase(std::string& text, const boost::regex& pattern, int braceGroups, RenderStage stage,
                  const OccurrenceReplacer& replacementFor);
