#include "composer/win/session_lifetime.h"

#include <algorithm>
#include <vector>

#include "platform/no_destructor.h"

namespace {

// Sessions removed while one of their operations ran, until it ends. Kept
// apart from any registry, which the plug-in's exit may destroy meanwhile.
std::vector<std::unique_ptr<ComposeWindowSession>>& retiredSessions() {
    static platform::NoDestructor<std::vector<std::unique_ptr<ComposeWindowSession>>> sessions;
    return sessions.get();
}

}  // namespace

void retireSession(std::unique_ptr<ComposeWindowSession> session, bool comClosing) {
    if (!session || session->runningOperations == 0) return;  // destroyed on return
    session->detachFromWindow();
    if (comClosing) session->releaseDocument();
    retiredSessions().push_back(std::move(session));
}

SessionOperation::SessionOperation(ComposeWindowSession& session) : session_(session) {
    ++session_.runningOperations;
}

SessionOperation::~SessionOperation() {
    if (--session_.runningOperations > 0) return;
    auto& retired = retiredSessions();
    const auto found = std::find_if(retired.begin(), retired.end(),
                                    [this](const auto& session) { return session.get() == &session_; });
    if (found == retired.end()) return;
    std::unique_ptr<ComposeWindowSession> session = std::move(*found);
    retired.erase(found);
}
