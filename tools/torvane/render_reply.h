// The reply or forward rendered as the plug-in renders it, with the host
// played from files: shared by `render` and `serve`.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "composer/compose_core.h"
#include "session/compose_session.h"
#include "tools/torvane/host_from_files.h"

namespace torvane {

// Plays the host from `files` (the message is moved out of it), renders
// `templatePath` in a new session with `flags`, and with a `charset` renders
// again under it as the editor's character-set menu does ("" = Auto).
// Message boxes go to `err`. The random signature is drawn as the plug-in
// draws it; TORVANE_RANDOM_SEED makes the draw repeatable.
ComposeResult renderWithHost(HostFiles& files, const std::string& templatePath, const SessionFlags& flags,
                             const std::optional<std::string>& charset, std::ostream& err);

}  // namespace torvane
