// The character-set vocabulary: resolving a name (asking the host for the
// automatic choice), classifying it, converting host texts, and rewriting
// the charset declared in an HTML text's META tag.
#pragma once

#include <string>

enum CharsetCode : int {
    kCharsetOther = 0,
    kCharsetGB2312 = 1,
    kCharsetGB18030 = 2,
    kCharsetHzGb2312 = 3,
    kCharsetUtf8 = 4,
    kCharsetUtf7 = 5,
    kCharsetBig5 = 6,
};

struct ResolvedCharset {
    std::string name;  // at most 19 characters
    CharsetCode code = kCharsetOther;
};

// The code of a name, by case-insensitive prefix, first match in code order.
CharsetCode charsetCodeOf(const std::string& name);

// GB2312, GB18030, HZ-GB-2312 and BIG5.
bool isChineseCharset(CharsetCode code);

// `name` null: the automatic choice (the host's charset of the current message).
ResolvedCharset resolveCharset(const char* name);

// Code 4 and 5: the host's UTF-8 / UTF-7 conversion; other codes: the text unchanged.
std::string convertFromCharset(const std::string& text, CharsetCode code);

// Replaces the declared charset of the first matching META tag by `name`.
void rewriteMetaCharset(std::string& html, const std::string& name);
