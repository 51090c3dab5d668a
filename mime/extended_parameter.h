// Parameter values in the extended form of RFC 2231, as mail clients send
// names that are not ASCII: filename*=UTF-8''%E6%8A%A5.pdf, with an optional
// language between the quotes, and long values split into numbered sections
// (filename*0*=...; filename*1*=...). Only the pair that headerParameter
// examines decides: when its name has that form, the sections after it are
// joined; otherwise the value is the plain one, decoded as before.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct ExtendedParameter {
    // The sections joined in number order from 0 up to the first missing
    // one, percent-decoded where their names end in "*".
    std::string bytes;
    // The charset of a percent-encoded first section (empty when it names
    // none); none when the first section is not percent-encoded.
    std::optional<std::string> charset;
};

// The first pair of a header value when its name has the extended form
// ("name*", "name*0" or "name*0*"), with the sections that follow it. None
// for the plain form, and when the sections lack a section 0.
std::optional<ExtendedParameter> extendedParameter(std::string_view headerValueText);

// The name that the parameter headerParameter found as `rawValue` in
// `headerValueText` stands for, in the host's code page. An extended value
// with a charset is converted here (its bytes are kept as they are when the
// charset is unknown or they are not valid in it); any other value, plain or
// joined sections without a charset, goes through `decodeWithHost`, which
// resolves encoded words as the host does.
std::string decodedParameterValue(std::string_view headerValueText, const std::string& rawValue,
                                  const std::function<std::string(const std::string&)>& decodeWithHost);
