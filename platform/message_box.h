// Messages reach the user only through a box with no owner and an OK button.
#pragma once

#include <functional>
#include <string>

namespace platform {

void showMessageBox(const std::string& text, const std::string& caption);

// Where boxes go on platforms without a window system (and in native tests):
// by default they are written to standard error as "caption: text".
using MessageBoxSink = std::function<void(const std::string& text, const std::string& caption)>;
void setMessageBoxSink(MessageBoxSink sink);

}  // namespace platform
