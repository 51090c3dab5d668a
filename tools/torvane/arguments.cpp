#include "tools/torvane/arguments.h"

#include "tools/torvane/cli_errors.h"

namespace torvane {

Arguments parseArguments(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions) {
    Arguments arguments;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            arguments.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = word;
        std::string inlineValue;
        bool hasInlineValue = false;
        const std::size_t equals = word.find('=');
        if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = word.substr(0, equals);
            inlineValue = word.substr(equals + 1);
            hasInlineValue = true;
        }
        if (valueOptions.count(name)) {
            if (hasInlineValue) {
                arguments.values[name] = inlineValue;
            } else if (i + 1 < words.size()) {
                arguments.values[name] = words[++i];
            } else {
                throw UsageError("option " + name + " needs a value");
            }
        } else if (flagOptions.count(name) && !hasInlineValue) {
            arguments.flags.insert(name);
        } else {
            throw UsageError("unknown option '" + word + "'");
        }
    }
    return arguments;
}

}  // namespace torvane
