// What `torvane serve` lets a request name: files below one folder only.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// `text` with its %XX escapes decoded (and '+' as a space in a query);
// none for a malformed escape or a decoded NUL.
std::optional<std::string> percentDecoded(std::string_view text, bool plusIsSpace);

// The name=value pairs of a query string, decoded; a malformed pair is left
// out, and so the request names nothing.
std::map<std::string, std::string> queryValues(std::string_view query);

// The regular file below `root` that `encodedPath` ("a/b.png", still
// %-encoded) names; none when any segment is empty, ".", "..", hidden, holds
// a separator, a backslash, a drive colon or a control character once
// decoded, when any step of the way is a symbolic link, or when the file is
// not below `root` once resolved.
std::optional<std::string> containedFile(const std::string& root, std::string_view encodedPath);

// The regular files below `root` whose names end in `suffix` (any case), as
// '/'-separated paths relative to `root`, sorted. Hidden files and folders
// are left out, and so are files that resolve to outside `root` (symbolic
// links pointing out).
std::vector<std::string> filesBelow(const std::string& root, const std::string& suffix);

// Removes `folder`, the files in it and the folders in it whose names
// `descend` accepts (their files only: nothing deeper), and never what a
// link points to: any other folder in it is removed only when empty, so a
// link to a folder elsewhere keeps that folder's content (under wine a
// symbolic link of the file system looks like what it points to). False
// when something was left.
bool removeOwnFolder(const std::string& folder, bool (*descend)(const std::string& name));

// `root` joined with such a relative name, in the platform's separators.
std::string joinedPath(const std::string& root, const std::string& relative);

}  // namespace torvane
