#include "tools/winhost/editor_window.h"

#include <oleacc.h>
#include <mshtml.h>

#include <map>
#include <utility>

#include "tools/winhost/test_document.h"

namespace wintest {

struct EditorWindow::State {
    IUnknown* document = nullptr;  // not owned: the test keeps it alive
    std::vector<ReceivedMessage> paintMessages;
    std::vector<WPARAM> characters;
    int getObjectRequests = 0;
};

namespace {

const wchar_t kEditorClassNameW[] = L"Internet Explorer_Server";

UINT getObjectMessage() {
    static const UINT message = RegisterWindowMessageA("WM_HTML_GETOBJECT");
    return message;
}

bool isUpdateRegion(WPARAM wParam) {
    return wParam == 1 || GetObjectType(reinterpret_cast<HGDIOBJ>(wParam)) == OBJ_REGION;
}

LRESULT CALLBACK editorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<EditorWindow::State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state && message == getObjectMessage()) {
        ++state->getObjectRequests;
        // Marshaled as IUnknown: the plug-in unmarshals the very same object
        // and asks it for IHTMLDocument. Under IHTMLDocument2, wine's type
        // library marshaler takes some 80 ms and 2 KiB it never gives back
        // for every document, which would swamp what the soak measures.
        return state->document ? LresultFromObject(IID_IUnknown, wParam, state->document) : 0;
    }
    if (state && message == WM_PAINT) {
        const bool invalid = GetUpdateRect(window, nullptr, FALSE) != FALSE;
        state->paintMessages.push_back(
            {message, wParam, lParam, invalid, TestDocument::deliveringReadyStateChange()});
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    if (state && message == WM_NCPAINT) {
        state->paintMessages.push_back(
            {message, wParam, lParam, isUpdateRegion(wParam), TestDocument::deliveringReadyStateChange()});
    }
    if (state && (message == WM_CHAR || message == WM_IME_CHAR)) {
        state->characters.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void registerClass(const std::string& name, WNDPROC procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    RegisterClassExA(&windowClass);  // already registered is fine
}

void registerEditorClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = editorProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kEditorClassNameW;
    RegisterClassExW(&windowClass);  // already registered is fine
}

enum class Shown { Yes, No };

// Top-level windows are shown without being activated.
void show(HWND window, HWND parent, Shown shown) {
    if (window && !parent && shown == Shown::Yes) ShowWindow(window, SW_SHOWNOACTIVATE);
}

DWORD style(HWND parent, Shown shown) {
    if (!parent) return WS_OVERLAPPEDWINDOW;
    return shown == Shown::Yes ? WS_CHILD | WS_VISIBLE : WS_CHILD;
}

HWND createWindow(const std::string& className, HWND parent, Shown shown = Shown::Yes, DWORD extendedStyle = 0) {
    HWND window = CreateWindowExA(extendedStyle, className.c_str(), "", style(parent, shown), 0, 0, 200, 100, parent,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    show(window, parent, shown);
    return window;
}

HWND createEditor(HWND parent, Shown shown = Shown::Yes, DWORD extendedStyle = 0) {
    HWND window = CreateWindowExW(extendedStyle, kEditorClassNameW, L"", style(parent, shown), 0, 0, 200, 100, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    show(window, parent, shown);
    return window;
}

void destroyWindow(HWND window, const char* className) {
    if (window) DestroyWindow(window);
    UnregisterClassA(className, GetModuleHandleA(nullptr));  // fails while other windows of it exist
}

std::map<HWND, ForeignSubclass*>& foreignSubclasses() {
    static std::map<HWND, ForeignSubclass*> all;
    return all;
}

}  // namespace

std::size_t systemRepaints(const std::vector<ReceivedMessage>& paints) {
    std::size_t frames = 0, clients = 0;
    for (const ReceivedMessage& paint : paints) {
        if (!paint.fromSystem) return 0;
        (paint.id == WM_NCPAINT ? frames : clients) += 1;
    }
    return frames == clients ? frames : 0;
}

PlainWindow::PlainWindow(HWND parent, std::string className) : className_(std::move(className)) {
    registerClass(className_, DefWindowProcA);
    window_ = createWindow(className_, parent);
}

PlainWindow::~PlainWindow() {
    destroyWindow(window_, className_.c_str());
}

EditorWindow::EditorWindow(HWND parent, IUnknown* document) : state_(std::make_unique<State>()) {
    state_->document = document;
    registerEditorClass();
    window_ = createEditor(parent);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state_.get()));
    // Painted once now, so that later paints are the ones something asked for.
    UpdateWindow(window_);
    state_->paintMessages.clear();
}

EditorWindow::~EditorWindow() {
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    destroyWindow(window_, kEditorClassName);
}

WNDPROC EditorWindow::ownProcedure() { return editorProc; }

void EditorWindow::setDocument(IUnknown* document) {
    state_->document = document;
}

const std::vector<ReceivedMessage>& EditorWindow::paintMessages() const {
    return state_->paintMessages;
}

std::vector<ReceivedMessage> EditorWindow::paintsDuringReadyStateChanges() const {
    std::vector<ReceivedMessage> paints;
    for (const ReceivedMessage& paint : state_->paintMessages)
        if (paint.duringReadyStateChange) paints.push_back(paint);
    return paints;
}

const std::vector<WPARAM>& EditorWindow::characters() const {
    return state_->characters;
}

int EditorWindow::getObjectRequests() const {
    return state_->getObjectRequests;
}

HungEditorWindow::HungEditorWindow(HWND parent) {
    std::promise<HWND> created;
    std::future<HWND> window = created.get_future();
    std::future<void> released = release_.get_future();
    thread_ = std::thread([parent, created = std::move(created), released = std::move(released)]() mutable {
        registerEditorClass();
        // Hidden, and no WM_PARENTNOTIFY: the parent's thread is waiting for
        // this window and could not answer.
        HWND own = createEditor(parent, Shown::No, WS_EX_NOPARENTNOTIFY);
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

ForeignSubclass::ForeignSubclass(HWND window) : window_(window) {
    foreignSubclasses()[window_] = this;
    found_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignSubclass::procedure)));
}

ForeignSubclass::~ForeignSubclass() { remove(); }

void ForeignSubclass::remove() {
    if (!found_) return;
    if (IsWindow(window_)) SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found_));
    found_ = nullptr;
    foreignSubclasses().erase(window_);
}

LRESULT CALLBACK ForeignSubclass::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ForeignSubclass* self = foreignSubclasses().at(window);
    ++self->messages_;
    const WNDPROC next = self->found_;
    // The window is going: nothing is left to take off.
    if (message == WM_NCDESTROY) {
        self->found_ = nullptr;
        foreignSubclasses().erase(window);
    }
    return CallWindowProcW(next, window, message, wParam, lParam);
}

}  // namespace wintest
