// Reads and dismisses every message box shown on this thread: a WH_CBT hook
// sees the box's dialog ("#32770") being activated, records its text and
// caption and closes it with OK. The OK is posted, so it is the box's own
// message loop that closes it; a user action can be run in that loop first,
// as a user who acts in the host's windows while the box is up.
#pragma once

#include <windows.h>

#include <functional>
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

    // Runs `action` inside the message loop of the next box, before its OK.
    void actWhileNextBoxIsUp(std::function<void()> action);

private:
    static LRESULT CALLBACK hookProcedure(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK actionProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
    HWND actionWindow_ = nullptr;  // receives the posted action
    std::vector<CaughtBox> caught_;
    std::function<void()> nextAction_;
};

}  // namespace wintest
