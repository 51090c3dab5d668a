#include "platform/message_box.h"

#include <windows.h>

#include <utility>

namespace platform {
namespace {

MessageBoxSink& sink() {
    static MessageBoxSink current;
    return current;
}

}  // namespace

void setMessageBoxSink(MessageBoxSink newSink) { sink() = std::move(newSink); }

void showMessageBox(const std::string& text, const std::string& caption) {
    if (sink()) {
        sink()(text, caption);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace platform
