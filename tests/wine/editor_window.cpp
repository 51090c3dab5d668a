#include "tests/wine/editor_window.h"

#include <oleacc.h>
#include <mshtml.h>

#include <utility>

namespace wintest {

struct EditorWindow::State {
    IUnknown* document = nullptr;  // not owned: the test keeps it alive
    std::vector<ReceivedMessage> paintMessages;
    int getObjectRequests = 0;
};

namespace {

UINT getObjectMessage() {
    static const UINT message = RegisterWindowMessageA("WM_HTML_GETOBJECT");
    return message;
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<EditorWindow::State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state && message == getObjectMessage()) {
        ++state->getObjectRequests;
        return state->document ? LresultFromObject(IID_IHTMLDocument2, wParam, state->document) : 0;
    }
    if (state && (message == WM_PAINT || message == WM_NCPAINT)) {
        state->paintMessages.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClass(const std::string& name, WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    RegisterClassExA(&windowClass);  // already registered is fine
}

HWND createWindow(const std::string& className, HWND parent, DWORD extendedStyle = 0) {
    return CreateWindowExA(extendedStyle, className.c_str(), "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void destroyWindow(HWND window, const char* className) {
    if (window) DestroyWindow(window);
    UnregisterClassA(className, GetModuleHandleA(nullptr));  // fails while other windows of it exist
}

}  // namespace

PlainWindow::PlainWindow(HWND parent, std::string className) : className_(std::move(className)) {
    registerClass(className_, DefWindowProcA);
    window_ = createWindow(className_, parent);
}

PlainWindow::~PlainWindow() {
    destroyWindow(window_, className_.c_str());
}

EditorWindow::EditorWindow(HWND parent, IUnknown* document) : state_(std::make_unique<State>()) {
    state_->document = document;
    registerClass(kEditorClassName, editorProc);
    window_ = createWindow(kEditorClassName, parent);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state_.get()));
}

EditorWindow::~EditorWindow() {
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    destroyWindow(window_, kEditorClassName);
}

void EditorWindow::setDocument(IUnknown* document) {
    state_->document = document;
}

const std::vector<ReceivedMessage>& EditorWindow::paintMessages() const {
    return state_->paintMessages;
}

int EditorWindow::getObjectRequests() const {
    return state_->getObjectRequests;
}

HungEditorWindow::HungEditorWindow(HWND parent) {
    std::promise<HWND> created;
    std::future<HWND> window = created.get_future();
    std::future<void> released = release_.get_future();
    thread_ = std::thread([parent, created = std::move(created), released = std::move(released)]() mutable {
        registerClass(kEditorClassName, editorProc);
        // No WM_PARENTNOTIFY: the parent's thread is waiting for this window and could not answer.
        HWND own = createWindow(kEditorClassName, parent, WS_EX_NOPARENTNOTIFY);
        created.set_value(own);
        released.wait();  // blocked: sent messages wait here unanswered
        destroyWindow(own, kEditorClassName);
    });
    window_ = window.get();
}

HungEditorWindow::~HungEditorWindow() {
    release_.set_value();
    thread_.join();
}

}  // namespace wintest
