// Paths of saved files as file:/// URLs, for a page opened in a browser.
#pragma once

#include <string>

namespace torvane {

// `path` (absolute, in UTF-8, with either separator) as a file:/// URL:
// "/" separators, and every byte other than letters, digits, "-._~/:"
// percent-encoded, so that the URL reads the same under any charset the
// page declares.
std::string fileUrlOf(const std::string& path);

// Every quoted attribute value of `html` that begins with `folder` (the
// folder attachments and pictures were saved in) becomes its fileUrlOf;
// nothing changes when the folder is relative.
std::string withFileUrls(const std::string& html, const std::string& folder);

}  // namespace torvane
