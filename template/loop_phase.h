// A loop phase of a rendering: search a pattern from the start of the text,
// replace the occurrence, search again from the start, until none is left.
// Restarting means the look-behind always sees the real character before an
// occurrence, an occurrence that a replacement completes is found (a value
// "{Subject}" after a bare "%h"), and text that an earlier phase inserted is
// handled here.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <boost/regex.hpp>

#include "template/render_stage.h"

// The replacement for one occurrence, or none to leave it as it is (the
// search then goes on after it).
using OccurrenceReplacer = std::function<std::optional<std::string>(const boost::smatch& occurrence)>;

// Which characters of a rendering's text the loop phases inserted, handed
// from one phase to the next: one mark per character (nonzero: inserted),
// or empty while nothing has been inserted. The phases keep it in step with
// the text.
struct InsertedText {
    std::string marks;
};

// Whether a phase handles occurrences that begin in what earlier phases
// inserted (the catalogue's phases do; an addition such as %D must not
// change what they insert).
enum class EarlierInsertions { Searched, LeftAlone };

// Occurrences that begin inside text this same phase inserted are left
// alone: a value that contains its own placeholder (a header value holding
// "%h{...}", an attachment named "%LH{}.txt") would otherwise be expanded
// forever. Calls enterRenderStage(stage) before every search.
//
// Requires: `pattern` is placeholderPattern(name + rest), the name made of
// letters and `rest` being `braceGroups` groups "{...}" whose text holds no
// "}", so that every occurrence ends in "}"; it looks back no further than
// the one character before an occurrence. The phase then costs time in
// proportion to the text and what it inserts, not to their product, and
// gives the results of a search from the start: a search begins again
// before the last replacement only where that replacement can complete an
// occurrence (after a bare name or part of one, or after the groups a
// replacement opening with "{" continues), and it begins there.
void runLoopPhase(std::string& text, InsertedText& inserted, EarlierInsertions earlier,
                  const boost::regex& pattern, int braceGroups, RenderStage stage,
                  const OccurrenceReplacer& replacementFor);
