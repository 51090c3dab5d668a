// Pictures embedded in HTML mail are referred to as "cid:" plus a part's
// Content-Id. The editor cannot resolve those, so each image part is written
// to a temporary file and the references are replaced by the file's path.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "mime/mime_part.h"

// (content id, decoded image path), in the order the parts were visited.
using ContentIdList = std::vector<std::pair<std::string, std::string>>;

// For an image part with a Content-Id: writes its stored lines to a ".timg"
// copy and the decoded picture to a fresh temporary file, and lists the id
// with that file's path.
void saveInlineImage(MimePart& part, ContentIdList& list);

// Replaces every "cid:<id>" (any case) by the entry's path, as if entry by
// entry in list order, left to right: an earlier entry's id that begins a
// later one's reference takes that reference's start. Text a replacement
// inserted is not searched again. Linear in the text's length, whatever the
// number of entries (content_id_rewrite.cpp). The rewritten text keeps the
// room the text had beyond its end.
void rewriteContentIds(std::string& html, const ContentIdList& list);
