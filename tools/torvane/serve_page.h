// The page `torvane serve` shows, and its script (served as a file of its
// own, so that the page's policy allows no inline script).
#pragma once

namespace torvane {

extern const char* const kServePageHtml;
extern const char* const kServePageScript;
// The page's own Content-Security-Policy: its script and the server only.
extern const char* const kServePagePolicy;

}  // namespace torvane
