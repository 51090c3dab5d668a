#include "shell/compose_open_rules.h"

#include "text/no_case.h"

ComposeAnswer composeAnswerFor(int mode) {
    if (mode >= 5 && mode <= 7) return ComposeAnswer::Reply;
    if (mode >= 10 && mode <= 12) return ComposeAnswer::Forward;
    return ComposeAnswer::None;
}

bool isDraftOrOutboxFolder(const std::string& folder) {
    return containsNoCase(folder, "!!!Draft") != std::string::npos ||
           containsNoCase(folder, "!!!!Outbox") != std::string::npos;
}
