#include "platform/message_box.h"

#include <utility>

namespace platform {

// The platform's own box: a real MessageBoxA on Windows, standard error elsewhere.
void showNativeMessageBox(const std::string& text, const std::string& caption);

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
    showNativeMessageBox(text, caption);
}

}  // namespace platform
