// A small command-line reader: positional arguments and --options, some of
// which take a value.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace torvane {

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // --name VALUE
    std::set<std::string> flags;                // --name

    bool has(const std::string& name) const { return flags.count(name) || values.count(name); }
    std::string value(const std::string& name, const std::string& fallback = "") const {
        const auto found = values.find(name);
        return found == values.end() ? fallback : found->second;
    }
};

// Throws UsageError for an unknown option or a missing value.
Arguments parseArguments(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions);

}  // namespace torvane
