// The placeholders a template can hold, for `torvane check --list`: what
// each inserts, with its value in the reply to the sample message
// examples/messages/html-with-image.eml (the README's table says the same).
#pragma once

#include <ostream>

namespace torvane {

void printPlaceholderReference(std::ostream& out);

}  // namespace torvane
