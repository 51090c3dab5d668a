#include "platform/message_box.h"

#include <iostream>
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
    std::cerr << caption << ": " << text << '\n';
}

}  // namespace platform
