// The callbacks that answer the host directly: information, setup, keys,
// start, menus.
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/host_fixture.h"
#include "tools/winhost/import_hook.h"
#include "tests/wine/plugin_checks.h"

namespace wintest {
namespace {

using Callbacks = HostFixture;

TEST_F(Callbacks, PlugInInfoFillsTheRecordAtItsOffsets) {
    ASSERT_TRUE(loadPlugin());
    expectInfoRecordFilled(plugin());
    EXPECT_TRUE(host().calls.size() == 1u && host().calls[0] == "BKA_GetVersion");
}

TEST_F(Callbacks, PlugInSetupShowsTheVersionBoxAndReturnsOne) {
    ASSERT_TRUE(loadPlugin());
    EXPECT_EQ(plugin().onPlugInSetup(mainWindow()), 1);
    expectVersionBox(takeBoxes());
}

TEST_F(Callbacks, KeyDispatchDoesNothing) {
    startPlugin();
    host().calls.clear();
    EXPECT_EQ(plugin().onKeyDispatch(mainWindow(), 'A', 0), 0);
    EXPECT_TRUE(host().calls.empty());
    EXPECT_TRUE(takeSettingsReads().empty());
}

TEST_F(Callbacks, StartAsksForTheWindowHandlesOnly) {
    ASSERT_TRUE(loadPlugin());
    host().calls.clear();
    EXPECT_EQ(plugin().onStart(), 0);
    EXPECT_EQ(host().calls, std::vector<std::string>{"BKA_GetWindowHandles"});
    EXPECT_EQ(plugin().onExit(), 0);
}

TEST_F(Callbacks, StartOpensTheComApartmentAndExitClosesIt) {
    startPlugin();
    // Already initialised on this thread by the plug-in: S_FALSE.
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    exitPlugin();
    // Closed again: a fresh initialisation.
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

// What the plug-in asks of the loader, seen through its import table.
struct LibraryCalls {
    static std::vector<std::string> loaded;
    static std::vector<HMODULE> loadedHandles;
    static std::vector<HMODULE> freed;
    static decltype(&LoadLibraryA) loadLibrary;
    static decltype(&FreeLibrary) freeLibrary;

    static HMODULE WINAPI recordLoad(LPCSTR name) {
        HMODULE module = loadLibrary(name);
        loaded.push_back(name ? name : "");
        loadedHandles.push_back(module);
        return module;
    }
    static BOOL WINAPI recordFree(HMODULE module) {
        freed.push_back(module);
        return freeLibrary(module);
    }
};
std::vector<std::string> LibraryCalls::loaded;
std::vector<HMODULE> LibraryCalls::loadedHandles;
std::vector<HMODULE> LibraryCalls::freed;
decltype(&LoadLibraryA) LibraryCalls::loadLibrary = nullptr;
decltype(&FreeLibrary) LibraryCalls::freeLibrary = nullptr;

TEST_F(Callbacks, StartLoadsTheAccessibilityLibraryAndExitFreesIt) {
    ASSERT_TRUE(loadPlugin());
    ImportHook loadHook(pluginModule(), "KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(&LibraryCalls::recordLoad));
    ImportHook freeHook(pluginModule(), "KERNEL32.dll", "FreeLibrary", reinterpret_cast<void*>(&LibraryCalls::recordFree));
    LibraryCalls::loadLibrary = reinterpret_cast<decltype(&LoadLibraryA)>(loadHook.original());
    LibraryCalls::freeLibrary = reinterpret_cast<decltype(&FreeLibrary)>(freeHook.original());
    LibraryCalls::loaded.clear();
    LibraryCalls::loadedHandles.clear();
    LibraryCalls::freed.clear();

    startPlugin();
    ASSERT_EQ(LibraryCalls::loaded, std::vector<std::string>{"OLEACC.DLL"});
    ASSERT_NE(LibraryCalls::loadedHandles[0], nullptr);
    EXPECT_TRUE(LibraryCalls::freed.empty());
    exitPlugin();
    EXPECT_EQ(LibraryCalls::freed, std::vector<HMODULE>{LibraryCalls::loadedHandles[0]});
}

TEST_F(Callbacks, MenuInitLoadsTheCaptionsIntoHostBlocks) {
    startPlugin();
    for (int kind : {0, 10, 11, 3}) {
        EXPECT_EQ(plugin().onMenuInit(mainWindow(), GetMenu(mainWindow()), kind), 0);
        // Five caption blocks, the earlier ones given back.
        EXPECT_EQ(host().outstandingBlocks(), 5u) << "kind " << kind;
    }
    exitPlugin();
    EXPECT_EQ(host().outstandingBlocks(), 0u);
}

}  // namespace
}  // namespace wintest
