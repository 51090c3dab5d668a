#include <windows.h>

#include <string>

namespace platform {

void showNativeMessageBox(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace platform
