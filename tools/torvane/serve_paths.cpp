#include "tools/torvane/serve_paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "tools/torvane/host_from_files.h"

namespace fs = std::filesystem;

namespace torvane {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool isSafeSegment(const std::string& segment) {
    if (segment.empty() || segment[0] == '.') return false;  // ".", "..", hidden files
    return std::none_of(segment.begin(), segment.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f || c == '/' || c == '\\' || c == ':';
    });
}

fs::path pathOf(const std::string& utf8) { return fs::u8path(utf8); }

// `inner` is `outer` or below it; both resolved (no trailing separator).
bool isWithin(const fs::path& outer, const fs::path& inner) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (i == inner.end() || *o != *i) return false;
    }
    return true;
}

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

std::optional<std::string> percentDecoded(std::string_view text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            c = static_cast<char>(high * 16 + low);
            if (c == '\0') return std::nullopt;
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            c = ' ';
        }
        decoded.push_back(c);
    }
    return decoded;
}

std::map<std::string, std::string> queryValues(std::string_view query) {
    std::map<std::string, std::string> values;
    if (query.empty()) return values;
    for (std::string_view pair : split(query, '&')) {
        const std::size_t equals = pair.find('=');
        const auto name = percentDecoded(pair.substr(0, equals), true);
        const auto value =
            percentDecoded(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1), true);
        if (name && value) values[*name] = *value;
    }
    return values;
}

std::optional<std::string> containedFile(const std::string& root, std::string_view encodedPath) {
    std::error_code error;
    const fs::path base = fs::canonical(pathOf(root), error);
    if (error) return std::nullopt;
    fs::path path = base;
    for (std::string_view encoded : split(encodedPath, '/')) {
        const auto segment = percentDecoded(encoded, false);
        if (!segment || !isSafeSegment(*segment)) return std::nullopt;
        path /= pathOf(*segment);
        if (fs::is_symlink(fs::symlink_status(path, error)) || error) return std::nullopt;
    }
    if (!fs::is_regular_file(fs::status(path, error)) || error) return std::nullopt;
    const fs::path resolved = fs::canonical(path, error);
    if (error || !isWithin(base, resolved)) return std::nullopt;
    return resolved.u8string();
}

std::vector<std::string> filesBelow(const std::string& root, const std::string& suffix) {
    std::vector<std::string> names;
    std::error_code error;
    const fs::path base = fs::canonical(pathOf(root), error);
    if (error) return names;
    fs::recursive_directory_iterator entries(base, fs::directory_options::skip_permission_denied, error);
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        const std::string name = entry.path().filename().u8string();
        if (!name.empty() && name[0] == '.') {
            if (entry.is_directory(error)) entries.disable_recursion_pending();
            continue;
        }
        if (!endsWithNoCase(name, suffix) || !entry.is_regular_file(error)) continue;
        const fs::path resolved = fs::canonical(entry.path(), error);
        if (error || !isWithin(base, resolved)) {
            error.clear();
            continue;
        }
        names.push_back(entry.path().lexically_relative(base).generic_u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool removeOwnFolder(const std::string& folder, bool (*descend)(const std::string& name)) {
    const fs::path top = fs::u8path(folder);
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(top, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        entries.push_back(it->path());
    }
    for (const fs::path& entry : entries) {
        std::error_code ignored;
        const fs::file_status status = fs::symlink_status(entry, ignored);
        if (fs::is_directory(status) && descend && descend(entry.filename().u8string())) {
            removeOwnFolder(entry.u8string(), nullptr);
        } else {
            fs::remove(entry, ignored);  // a file, a link, or a folder only when empty
        }
    }
    std::error_code removed;
    fs::remove(top, removed);
    return !removed && !fs::exists(fs::symlink_status(top, removed));
}

std::string joinedPath(const std::string& root, const std::string& relative) {
    std::string path = asFolder(root) + relative;
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(asFolder(root).size()), path.end(), '/',
                 platform::kPathSeparator);
    return path;
}

}  // namespace torvane
