// The template engine: renders a reply or forward template (HTML with
// placeholders) for one compose session.
#pragma once

#include <string>

class ComposeSession;

// Rewrites `text` (a copy of the template) into the HTML the compose window
// shows. `charsetName` null: the first rendering, under the charset the host
// reports for the message, drawing a random signature; otherwise a
// re-rendering under that charset with the session's current signature.
// Writes the session's renderedText (with the signature tokens still in it)
// and signature fields. Regular-expression errors of the phases are shown to
// the user and the rendering goes on; other errors reach the caller.
void renderTemplate(const char* charsetName, ComposeSession& session, const std::string& quotedBody,
                    std::string& text);

// The first rendering, for a session that renders once: where the body is
// inserted once and has room for the whole text beyond its end, the text is
// written around it in its memory and `quotedBody` is left empty. The same
// text as renderTemplate(nullptr, ...).
void renderTemplateTakingBody(ComposeSession& session, std::string& quotedBody, std::string& text);
