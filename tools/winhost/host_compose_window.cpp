#include "tools/winhost/host_compose_window.h"

#include <stdexcept>

#include "tools/hostsim/sim_host.h"

namespace wintest {
namespace {

constexpr const char* kComposeClass = "TorvaneTestHostCompose";

void registerComposeClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kComposeClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the host's compose window class");
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t entries = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") ++entries;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace

HostComposeWindow::HostComposeWindow(EditorKind editorKind) : editorKind_(editorKind) {
    registerComposeClass(&HostComposeWindow::procedure);
    window_ = CreateWindowExA(0, kComposeClass, "Host compose window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw std::runtime_error("cannot create a host compose window");
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

HostComposeWindow::~HostComposeWindow() {
    closeEditor();
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

HWND HostComposeWindow::editorHandle() const {
    if (editor_) return editor_->handle();
    if (hungEditor_) return hungEditor_->handle();
    return nullptr;
}

void HostComposeWindow::closeEditor() {
    // The hung editor's thread destroys its own window: before its parent goes.
    hungEditor_.reset();
    editor_.reset();
    foreign_.reset();
    pane_.reset();
    document_.Reset();
}

void HostComposeWindow::addForeignSubclass() {
    if (editor_ && !foreign_) foreign_ = std::make_unique<ForeignSubclass>(editor_->handle());
}

void HostComposeWindow::removeForeignSubclass() {
    if (foreign_) foreign_->remove();
}

LRESULT CALLBACK HostComposeWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HostComposeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND && wParam == kHtmlEditorCommand && lParam == 0) {
        self->onEditorCommand();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void HostComposeWindow::onEditorCommand() {
    hostsim::SimHost& host = hostsim::simHost();
    const auto composition = host.compositions.find(window_);
    commands_.push_back({composition == host.compositions.end() ? std::string() : composition->second.bodyText,
                         host.calls.size(), entriesIn(host.tempFolder)});
    // The window switches to its HTML editor once; later commands find it there.
    if (pane_ || editorKind_ == EditorKind::None) return;
    pane_ = std::make_unique<PlainWindow>(window_);
    switch (editorKind_) {
        case EditorKind::Answering:
        case EditorKind::NeverReady:
            document_ = TestDocument::create();
            document_->reportsReadyState = editorKind_ == EditorKind::Answering;
            editor_ = std::make_unique<EditorWindow>(pane_->handle(), document_->unknown());
            break;
        case EditorKind::Silent:
            editor_ = std::make_unique<EditorWindow>(pane_->handle());
            break;
        case EditorKind::Hung:
            hungEditor_ = std::make_unique<HungEditorWindow>(pane_->handle());
            break;
        case EditorKind::None:
            break;
    }
}

}  // namespace wintest
