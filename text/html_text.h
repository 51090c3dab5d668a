// Plain text written as HTML, in the three forms the reply uses: header
// values with their angle brackets escaped, signatures, and plain-text bodies.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Replaces every "<" by "&lt;", then every ">" by "&gt;"; nothing else.
std::string htmlEscapeAngles(const std::string& text);

// A plain signature: spaces become "&nbsp;", each CR LF closes one "<div>"
// and opens the next. Nothing else is escaped.
std::string textToHtml(const std::string& text);

// A plain-text body: angle brackets escaped, each line one "<div>", blank
// lines "<div>&nbsp;</div>". A line is cut into divs of the host's line
// buffer size (a block from the host, so this throws std::bad_alloc when
// the host has no memory). The result has `room` bytes of capacity beyond
// its end.
std::string plainTextToHtml(std::string_view text, std::size_t room = 0);
