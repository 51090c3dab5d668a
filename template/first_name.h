// %F and %F{fallback}: the sender's given name, read from the From header the
// way a person would say it ("Dr. Alex Moreno", "Moreno, Alex" and
// "ALEX MORENO (Sales)" all give Alex), for a greeting such as "Hi %F,".
#pragma once

#include <string>

#include "mime/charset.h"

class HostBuffer;
class SinglePass;

// The given name in `from`, a From text as the host hands it out (encoded
// words resolved), in the text's own encoding; empty when it holds none.
// Taken from the first mailbox's display name: honorifics (Mr, Mrs, Ms, Dr,
// Prof) and comments ("(Sales)", "via List") left out, "Last, First" turned
// round, a word in capitals capitalised, mixed case kept; a name in Chinese,
// Japanese or Korean characters whole. Without a display name, from the
// address's local part ("alex.moreno" gives Alex), unless that names a role
// ("info", "noreply", ...) or holds only digits. A text that is not UTF-8 is
// read as GBK or Big5 under the Chinese charsets, else in the host's local
// code page.
std::string senderFirstName(const std::string& from, CharsetCode code);

// Registers %F (and %F{fallback}) with the given name of `from`, decoding any
// encoded words left in it through the host (into `buffer`, free again
// afterwards), converted for the reply's charset as %f is and HTML-escaped.
// Without a name, %F{fallback} gives the fallback as written and %F one space.
// "%F" followed by a hexadecimal digit ("%F0" in a link) is no placeholder.
void registerFirstNamePlaceholder(SinglePass& pass, HostBuffer& buffer, const std::string& from, CharsetCode code);
