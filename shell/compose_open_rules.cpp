#include "shell/compose_open_rules.h"

#include "text/no_case.h"

ComposeAnswer composeAnswerFor(int mode) {
    if (mode >= 5 && mode <= 7) return ComposeAnswer::Reply;
    if (mode >= 10 && mode <= 12) return ComposeAnswer::Forward;
    return ComposeAnswer::None;
}

bool isDraftOrOutboxFolder(const std::string& folder) {
    return findNoCase(folder, "!!!Draft") != std::string::npos ||
           findNoCase(folder, "!!!!Outbox") != std::string::npos;
}
