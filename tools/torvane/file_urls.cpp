#include "tools/torvane/file_urls.h"

#include <cctype>
#include <cstdio>

namespace torvane {

std::string fileUrlOf(const std::string& path) {
    std::string url = "file://";
    // A Windows path "C:\..." has no leading separator; a POSIX one has.
    if (path.empty() || (path[0] != '/' && path[0] != '\\')) url += '/';
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            url += '/';
        } else if (std::isalnum(byte) || std::string("-._~/:").find(c) != std::string::npos) {
            url += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            url += escape;
        }
    }
    return url;
}

std::string withFileUrls(const std::string& html, const std::string& folder) {
    // A relative folder has no URL of its own: it is left as written.
    const bool absolute = !folder.empty() && (folder[0] == '/' || folder[0] == '\\' ||
                                              (folder.size() > 2 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')));
    if (!absolute) return html;
    std::string result;
    result.reserve(html.size());
    std::size_t copied = 0;
    for (std::size_t at = html.find(folder); at != std::string::npos; at = html.find(folder, at + 1)) {
        if (at == 0 || at < copied) continue;
        const char quote = html[at - 1];
        if (quote != '"' && quote != '\'') continue;
        const std::size_t end = html.find(quote, at);
        if (end == std::string::npos) break;
        result.append(html, copied, at - copied);
        result += fileUrlOf(html.substr(at, end - at));
        copied = end;
    }
    result.append(html, copied, std::string::npos);
    return result;
}

}  // namespace torvane
