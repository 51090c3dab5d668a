// Turning stored parts into usable text and files: the decoded HTML part of
// a tree, and attachments saved to the host's temporary folder. Transfer
// decoding is the host's, file to file, so every decoding goes through files.
#pragma once

#include <string>

#include "mime/mime_part.h"
#include "session/compose_session.h"

// The first text/html part of the tree, transfer-decoded through the root's
// scratch files. False (output untouched) when there is none. The part's body
// lines are cleared afterwards.
bool extractHtmlPart(MimePart& root, std::string& output);

// For an attachment part with a "filename" parameter: saves its decoded body
// in the temporary folder (or in a fresh "dup" folder when the name is taken)
// when `save` is set, and lists (folder, name) in `list`.
void saveAttachment(MimePart& part, AttachmentList& list, bool save);

// True for every part whose body saveAttachment or saveInlineImage may read
// (an attachment, or a picture): the body filter for a message's tree, which
// the compose flow parses only to save those.
bool bodyIsSaved(const MimePart& part);
