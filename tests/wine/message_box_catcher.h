// Reads and dismisses every message box shown on this thread: a WH_CBT hook
// sees the box's dialog ("#32770") being activated, records its text and
// caption and closes it with OK.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wintest {

struct CaughtBox {
    std::string text;
    std::string caption;
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    // The boxes caught so far, oldest first; the record is emptied.
    std::vector<CaughtBox> take();

private:
    static LRESULT CALLBACK hookProcedure(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
    std::vector<CaughtBox> caught_;
};

}  // namespace wintest
