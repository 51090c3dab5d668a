#include "tests/wine/host_fixture.h"

#include <stdexcept>

#include "platform/host_api.h"
#include "tools/winhost/test_document.h"

namespace wintest {
namespace {

// The plug-in as built, next to this executable.
std::string builtPluginPath() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.erase(folder.rfind('\\') + 1);
    return folder + "testtorvane.dll";
}

template <typename Function>
Function callback(HMODULE module, const char* name) {
    auto function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (!function) throw std::runtime_error(std::string("the plug-in does not export ") + name);
    return function;
}

}  // namespace

std::string sourcePath(const std::string& relative) {
    std::string path = std::string(TORVANE_SOURCE_DIR) + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string readWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string content;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) content.append(chunk, read);
    CloseHandle(file);
    return content;
}

const std::vector<std::string>& requiredHostNames() {
    static const std::vector<std::string> names = {
#define TORVANE_HOST_NAME(name, type) "BKA_" #name,
        TORVANE_REQUIRED_HOST_FUNCTIONS(TORVANE_HOST_NAME)
#undef TORVANE_HOST_NAME
    };
    return names;
}

const std::vector<std::string>& optionalHostNames() {
    static const std::vector<std::string> names = {
#define TORVANE_HOST_NAME(name, type) "BKA_" #name,
        TORVANE_OPTIONAL_HOST_FUNCTIONS(TORVANE_HOST_NAME)
#undef TORVANE_HOST_NAME
    };
    return names;
}

void HostFixture::SetUp() {
    documentsAtStart_ = TestDocument::liveDocuments();
    sinksAtStart_ = TestDocument::sinksConnectedToLiveDocuments();
    host().reset();
    scratch_ = std::make_unique<ScratchFolder>();
    windows_ = std::make_unique<HostWindows>();
    catcher_ = std::make_unique<MessageBoxCatcher>();
    pluginFolder_ = scratch_->subfolder("plugin");
    if (!CopyFileA(builtPluginPath().c_str(), pluginPath().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + builtPluginPath());
    }
    for (bool forward : {false, true}) {
        const std::string name = forward ? "torvanefwd.tml" : "torvane.tml";
        writeTextFile(templatePath(forward), readWholeFile(sourcePath("tests/data/template/" + name)));
    }
    const std::string data = scratch_->subfolder("data");
    scratch_->subfolder("data\\mailbox1");
    host().dataFolder = data;
    host().currentMailBox = "mailbox1\\";
    host().tempFolder = scratch_->subfolder("temp");
    host().currentFolder = "mailbox1\\inbox\\";
    host().windowHandles[0] = windows_->mainWindow();
    host().composeMailHandler = [this] { return windows_->openComposeWindow(); };
}

void HostFixture::TearDown() {
    if (started_) exitPlugin();
    unloadPlugin();
    EXPECT_EQ(TestDocument::liveDocuments(), documentsAtStart_ + leakedDocuments_)
        << "documents outlive the plug-in and their editors";
    const std::vector<CaughtBox> strays = catcher_->take();
    for (const CaughtBox& box : strays) ADD_FAILURE() << "unexpected message box \"" << box.text << "\" / \"" << box.caption << "\"";
    EXPECT_EQ(host().invalidFrees(), 0u) << "the plug-in freed blocks the host never handed out";
    catcher_.reset();
    host().reset();
    windows_.reset();
    scratch_.reset();
}

bool HostFixture::loadPlugin() {
    if (module_) return true;
    SetLastError(0);
    module_ = LoadLibraryA(pluginPath().c_str());
    loadError_ = module_ ? 0 : GetLastError();
    if (!module_) return false;
    callbacks_.onStart = callback<decltype(callbacks_.onStart)>(module_, "BKC_OnStart");
    callbacks_.onExit = callback<decltype(callbacks_.onExit)>(module_, "BKC_OnExit");
    callbacks_.onMenuInit = callback<decltype(callbacks_.onMenuInit)>(module_, "BKC_OnMenuInit");
    callbacks_.onOpenCompose = callback<decltype(callbacks_.onOpenCompose)>(module_, "BKC_OnOpenCompose");
    callbacks_.onKeyDispatch = callback<decltype(callbacks_.onKeyDispatch)>(module_, "BKC_OnKeyDispatch");
    callbacks_.onPlugInSetup = callback<decltype(callbacks_.onPlugInSetup)>(module_, "BKC_OnPlugInSetup");
    callbacks_.onPlugInInfo = callback<decltype(callbacks_.onPlugInInfo)>(module_, "BKC_OnPlugInInfo");
    settingsSpy_ = std::make_unique<ProfileReadSpy>(module_);
    return true;
}

HostComposeWindow& HostFixture::composeWindow(HWND window) const {
    HostComposeWindow* compose = windows_->composeWindow(window);
    if (!compose) throw std::runtime_error("not a compose window of the host");
    return *compose;
}

void HostFixture::unloadPlugin() {
    if (!module_) return;
    windows_->closeEditors();
    unloadWithoutExit();
}

void HostFixture::unloadWithoutExit() {
    if (!module_) return;
    settingsSpy_.reset();
    FreeLibrary(module_);
    module_ = nullptr;
    callbacks_ = PluginCallbacks();
    started_ = false;
}

void HostFixture::startPlugin() {
    if (!loadPlugin()) throw std::runtime_error("the plug-in did not load, error " + std::to_string(loadError_));
    EXPECT_EQ(callbacks_.onStart(), 0);
    started_ = true;
}

void HostFixture::exitPlugin() {
    EXPECT_EQ(callbacks_.onExit(), 0);
    started_ = false;
    // As an input method or another plug-in that subclassed an editor after
    // the plug-in did, and lets go only now.
    windows_->removeForeignSubclasses();
    EXPECT_EQ(TestDocument::sinksConnectedToLiveDocuments(), sinksAtStart_) << "sinks outlive BKC_OnExit";
}

std::vector<ProfileRead> HostFixture::takeSettingsReads() {
    return settingsSpy_ ? settingsSpy_->take() : std::vector<ProfileRead>();
}

}  // namespace wintest
