// The test host's fixture: a simulated host (tools/hostsim) whose BKA_
// functions this executable exports by name, real host windows, a fresh
// copy of testtorvane.dll loaded with LoadLibraryA, and every message box
// read and dismissed. After every BKC_OnExit no sink may be connected to a
// document, and once the plug-in is unloaded and the editors are closed no
// document may be alive: nothing of the plug-in's holds one. The same
// assertions serve the 32- and 64-bit builds.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "shell/win/plugin_callbacks.h"
#include "tools/winhost/host_windows.h"
#include "tools/winhost/message_box_catcher.h"
#include "tests/wine/profile_read_spy.h"
#include "tests/wine/scratch_folder.h"
#include "tools/hostsim/sim_host.h"

namespace wintest {

// A file of the source tree, as this program opens it.
std::string sourcePath(const std::string& relative);
// A whole file's bytes; throws when it cannot be read.
std::string readWholeFile(const std::string& path);

// The callbacks as the host resolves them, by name.
struct PluginCallbacks {
    decltype(&BKC_OnStart) onStart = nullptr;
    decltype(&BKC_OnExit) onExit = nullptr;
    decltype(&BKC_OnMenuInit) onMenuInit = nullptr;
    decltype(&BKC_OnOpenCompose) onOpenCompose = nullptr;
    decltype(&BKC_OnKeyDispatch) onKeyDispatch = nullptr;
    decltype(&BKC_OnPlugInSetup) onPlugInSetup = nullptr;
    decltype(&BKC_OnPlugInInfo) onPlugInInfo = nullptr;
};

// The host interface's names in the order the plug-in resolves them.
const std::vector<std::string>& requiredHostNames();
const std::vector<std::string>& optionalHostNames();

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    hostsim::SimHost& host() { return hostsim::simHost(); }

    // LoadLibraryA of the plug-in's copy; false when the system refused it
    // (loadError() then holds GetLastError()).
    bool loadPlugin();
    DWORD loadError() const { return loadError_; }
    // Closes the editors, then FreeLibrary.
    void unloadPlugin();
    // FreeLibrary as a host that never called BKC_OnExit does, editors open.
    void unloadWithoutExit();
    // Documents the test leaves to a plug-in that was unloaded without
    // BKC_OnExit: they may outlive the test.
    void allowLeakedDocuments(std::size_t count) { leakedDocuments_ = count; }
    HMODULE pluginModule() const { return module_; }
    const PluginCallbacks& plugin() const { return callbacks_; }

    // Loads the plug-in if needed and calls BKC_OnStart; exitPlugin calls
    // BKC_OnExit, then takes the other subclassers off the editors.
    void startPlugin();
    void exitPlugin();

    const std::string& pluginFolder() const { return pluginFolder_; }
    std::string pluginPath() const { return pluginFolder_ + "testtorvane.dll"; }
    std::string settingsPath() const { return pluginFolder_ + "testtorvane.ini"; }
    void writeSettings(const std::string& iniText) { writeTextFile(settingsPath(), iniText); }

    // The plug-in's templates, the every-placeholder pair of tests/data/template, copied for every test.
    std::string templatePath(bool forward) const {
        return pluginFolder_ + (forward ? "torvanefwd.tml" : "torvane.tml");
    }

    HWND mainWindow() const { return windows_->mainWindow(); }
    // A compose window that gets an editor of that kind on the host's command 0x8047.
    HWND openComposeWindow(EditorKind editorKind = EditorKind::Answering) {
        return windows_->openComposeWindow(editorKind);
    }
    HostComposeWindow& composeWindow(HWND window) const;
    void closeComposeWindow(HWND window) { windows_->closeComposeWindow(window); }

    // Boxes the plug-in showed since the last call. A box nobody took fails the test.
    std::vector<CaughtBox> takeBoxes() { return catcher_->take(); }
    MessageBoxCatcher& boxes() { return *catcher_; }
    // The plug-in's INI reads since the last call (only while it is loaded).
    std::vector<ProfileRead> takeSettingsReads();

private:
    std::unique_ptr<ScratchFolder> scratch_;
    std::unique_ptr<HostWindows> windows_;
    std::unique_ptr<MessageBoxCatcher> catcher_;
    std::string pluginFolder_;
    HMODULE module_ = nullptr;
    DWORD loadError_ = 0;
    PluginCallbacks callbacks_;
    std::unique_ptr<ProfileReadSpy> settingsSpy_;
    bool started_ = false;
    // Earlier tests' deliberate leaks.
    std::size_t documentsAtStart_ = 0;
    std::size_t sinksAtStart_ = 0;
    std::size_t leakedDocuments_ = 0;
};

}  // namespace wintest
