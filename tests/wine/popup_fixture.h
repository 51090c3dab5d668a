// A started plug-in with its compose pop-up menu built, a reply template
// whose rendering shows the charset group, the META charset and the random
// signature, an HTML message to answer, and the pop-up menu driven by
// keystrokes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine/compose_flow_fixture.h"
#include "tools/winhost/popup_driver.h"

namespace wintest {

using Strings = std::vector<std::string>;

// Signature texts without spaces, which the signature HTML writes as "&nbsp;".
inline constexpr char kFirstSignature[] = "FirstSignature";
inline constexpr char kSecondSignature[] = "SecondSignature";

inline int count(const Strings& calls, const std::string& name) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class PopupFixture : public ComposeFlowFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A reply opened by the host, its editor holding the first rendering,
    // and the host back in its message loop (the document is complete).
    HWND openReply();

    std::unique_ptr<MenuDriver> driver;
};

}  // namespace wintest
