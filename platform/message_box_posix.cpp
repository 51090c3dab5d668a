#include <iostream>
#include <string>

namespace platform {

void showNativeMessageBox(const std::string& text, const std::string& caption) {
    std::cerr << caption << ": " << text << '\n';
}

}  // namespace platform
