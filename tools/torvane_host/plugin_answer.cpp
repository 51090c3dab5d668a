#include "tools/torvane_host/plugin_answer.h"

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "shell/win/plugin_callbacks.h"
#include "tools/hostsim/message_loader.h"
#include "tools/hostsim/sim_host.h"
#include "tools/winhost/host_menus.h"
#include "tools/winhost/host_windows.h"
#include "tools/winhost/message_box_catcher.h"
#include "tools/winhost/popup_driver.h"
#include "tools/winhost/test_document.h"

namespace torvanehost {
namespace {

using wintest::TestDocument;

// A mail client converts every text it hands out into the system's code page.
constexpr const char* kHostCodePage = "ACP";
constexpr int kReplyMode = 5;
constexpr int kForwardMode = 10;
// The compose pop-up's menu kind: the plug-in registers its editor commands.
constexpr int kComposePopupKind = 10;
constexpr char kRefreshItem[] = "Refresh HTML";

template <typename Function>
Function callback(HMODULE module, const char* name) {
    auto function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (!function) throw std::runtime_error(std::string("the plug-in does not export ") + name);
    return function;
}

class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
        if (!module_) throw std::runtime_error("cannot load '" + path + "': error " + std::to_string(GetLastError()));
    }
    ~LoadedPlugin() { FreeLibrary(module_); }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    HMODULE module() const { return module_; }

private:
    HMODULE module_;
};

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

// The plug-in reads testtorvane.ini from beside itself, and only when it is
// there. With other settings it runs from a private copy of its folder (the
// DLL, its templates and those settings as its ini) under the system's
// temporary folder, removed when the answer is done.
class PluginFolder {
public:
    explicit PluginFolder(const AnswerRequest& request) : dll_(request.pluginPath) {
        if (request.settingsPath.empty()) return;
        char base[MAX_PATH + 1] = {};
        if (!GetTempPathA(sizeof base, base)) throw std::runtime_error("no temporary folder");
        for (unsigned attempt = GetTickCount(); copy_.empty(); ++attempt) {
            const std::string candidate = std::string(base) + "torvane-host-" + std::to_string(attempt % 1000000u);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) copy_ = candidate + "\\";
            else if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + candidate);
        }
        const std::string from = folderOf(request.pluginPath);
        for (const char* name : {"torvane.tml", "torvanefwd.tml"}) place(from + name, name);
        place(request.settingsPath, "testtorvane.ini");
        place(request.pluginPath, "testtorvane.dll");
        dll_ = copy_ + "testtorvane.dll";
    }
    ~PluginFolder() {
        for (const std::string& name : placed_) DeleteFileA((copy_ + name).c_str());
        if (!copy_.empty()) RemoveDirectoryA(copy_.c_str());
    }
    PluginFolder(const PluginFolder&) = delete;
    PluginFolder& operator=(const PluginFolder&) = delete;
    const std::string& dll() const { return dll_; }

private:
    void place(const std::string& from, const char* name) {
        if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        if (!CopyFileA(from.c_str(), (copy_ + name).c_str(), FALSE)) throw std::runtime_error("cannot copy " + from);
        placed_.push_back(name);
    }

    std::string dll_;
    std::string copy_;
    std::vector<std::string> placed_;
};

const std::string* header(const hostsim::SimMessage& message, const char* name) {
    for (const auto& entry : message.headers)
        if (lstrcmpiA(entry.first.c_str(), name) == 0) return &entry.second;
    return nullptr;
}

std::size_t loadsOf(const TestDocument& document) {
    std::size_t loads = 0;
    for (const std::string& call : document.calls) loads += call == "Load" ? 1 : 0;
    return loads;
}

}  // namespace

Answer answerWithPlugin(AnswerRequest& request,
                        const std::function<void(const std::string&, const std::string&)>& onBox) {
    hostsim::SimHost& host = hostsim::simHost();
    host.reset();
    host.recordsCalls = false;
    host.localCodePage = kHostCodePage;
    host.dataFolder.clear();
    host.currentMailBox = request.mailboxFolder;
    host.tempFolder = request.tempFolder;
    const std::size_t messageSize = request.rawMessage.size();
    host.message = hostsim::loadMessage(std::move(request.rawMessage), kHostCodePage);
    if (!request.messageFile.empty()) hostsim::serveSourceFromFile(host.message, request.messageFile, messageSize);

    wintest::MessageBoxCatcher catcher;
    std::size_t boxes = 0;
    const auto reportBoxes = [&] {
        for (const wintest::CaughtBox& box : catcher.take()) {
            onBox(box.caption, box.text);
            ++boxes;
        }
    };
    Answer answer;
    {
        wintest::HostWindows windows;
        host.windowHandles[0] = windows.mainWindow();
        host.composeMailHandler = [&windows] { return windows.openComposeWindow(); };
        wintest::HostMenuBar mainMenu(12);
        mainMenu.attachTo(windows.mainWindow());

        const PluginFolder folder(request);
        LoadedPlugin plugin(folder.dll());
        const auto onStart = callback<decltype(&BKC_OnStart)>(plugin.module(), "BKC_OnStart");
        const auto onExit = callback<decltype(&BKC_OnExit)>(plugin.module(), "BKC_OnExit");
        const auto onMenuInit = callback<decltype(&BKC_OnMenuInit)>(plugin.module(), "BKC_OnMenuInit");
        const auto onOpenCompose = callback<decltype(&BKC_OnOpenCompose)>(plugin.module(), "BKC_OnOpenCompose");

        onStart();
        onMenuInit(windows.mainWindow(), mainMenu.bar(), 0);
        onMenuInit(windows.mainWindow(), nullptr, kComposePopupKind);
        wintest::runPendingMessages();
        reportBoxes();

        HWND window = windows.openComposeWindow();
        const std::string* subject = header(host.message, "Subject");
        host.compositions[window].subject =
            hostsim::composeSubject(subject ? *subject : std::string(), request.forward);
        const std::size_t boxesBefore = boxes;
        onOpenCompose(window, request.forward ? kForwardMode : kReplyMode);
        // The document's later ready states arrive through the message loop.
        wintest::runPendingMessages();
        reportBoxes();

        const wintest::HostComposeWindow* compose = windows.composeWindow(window);
        TestDocument* document = compose ? compose->document() : nullptr;
        if (document && !document->loadedBytes.empty()) {
            answer.outcome = AnswerOutcome::Rendered;
            for (const std::string& item : {request.charset, std::string(request.refresh ? kRefreshItem : "")}) {
                if (item.empty()) continue;
                wintest::MenuDriver driver(plugin.module());
                driver.choose(item);
                const std::size_t loads = loadsOf(*document);
                HWND editor = compose->editorHandle();
                SendMessageA(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), MAKELPARAM(30, 40));
                wintest::runPendingMessages();
                reportBoxes();
                if (driver.calls().empty() || driver.last().result == 0 || loadsOf(*document) == loads) {
                    answer.outcome = AnswerOutcome::MenuItemUnusable;
                    break;
                }
            }
        } else {
            answer.outcome = host.message.bodyMimeType == "text/plain" && boxes == boxesBefore
                                 ? AnswerOutcome::LeftToHost
                                 : AnswerOutcome::Failed;
        }

        onExit();
        wintest::runPendingMessages();
        reportBoxes();
        // Taken, not copied, once the plug-in is done with the document.
        if (answer.outcome == AnswerOutcome::Rendered || answer.outcome == AnswerOutcome::MenuItemUnusable) {
            answer.html = std::move(document->loadedBytes);
        }
        windows.closeEditors();
    }
    host.composeMailHandler = nullptr;
    return answer;
}

}  // namespace torvanehost
