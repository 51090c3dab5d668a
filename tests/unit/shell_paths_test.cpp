#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "shell/module_paths.h"

namespace {

// Builds a path with the platform's separator from its parts.
std::string pathOf(std::initializer_list<const char*> parts) {
    std::string path;
    for (const char* part : parts) {
        if (!path.empty()) path += platform::kPathSeparator;
        path += part;
    }
    return path;
}

TEST(ModulePaths, SettingsPathReplacesTheExtension) {
    EXPECT_EQ(settingsPathOf(pathOf({"C:", "Mail", "PlugIns", "testtorvane.dll"})),
              pathOf({"C:", "Mail", "PlugIns", "testtorvane.ini"}));
    // Only the last dot counts: a name with two dots keeps the first.
    EXPECT_EQ(settingsPathOf(pathOf({"C:", "p", "test.torvane.dll"})), pathOf({"C:", "p", "test.torvane.ini"}));
    // A trailing dot is an empty extension.
    EXPECT_EQ(settingsPathOf(pathOf({"C:", "p", "testtorvane."})), pathOf({"C:", "p", "testtorvane.ini"}));
}

TEST(ModulePaths, SettingsPathWithoutAnyDotAppendsTmp) {
    EXPECT_EQ(settingsPathOf(pathOf({"C:", "Mail", "testtorvane"})), pathOf({"C:", "Mail", "testtorvane.tmp"}));
    EXPECT_EQ(settingsPathOf(""), ".tmp");
}

TEST(ModulePaths, DotInAFolderAboveIsTheLastDot) {
    // The file name has no dot, so the folder's dot is cut and ".ini" put there.
    EXPECT_EQ(settingsPathOf(pathOf({"C:", "Becky.2", "PlugIns", "testtorvane"})), pathOf({"C:", "Becky.ini"}));
}

TEST(ModulePaths, ModuleFolderKeepsTheLastSeparator) {
    EXPECT_EQ(moduleFolderOf(pathOf({"C:", "Mail.box", "PlugIns", "testtorvane.dll"})),
              pathOf({"C:", "Mail.box", "PlugIns", ""}));
    EXPECT_EQ(moduleFolderOf("testtorvane.dll"), "");
    EXPECT_EQ(moduleFolderOf(pathOf({"", "x.dll"})), pathOf({"", ""}));
}

TEST(ModulePaths, ProcessWideValuesFollowTheLastModulePath) {
    setModulePath(pathOf({"D:", "Plug", "testtorvane.dll"}));
    EXPECT_EQ(settingsPath(), pathOf({"D:", "Plug", "testtorvane.ini"}));
    EXPECT_EQ(moduleFolder(), pathOf({"D:", "Plug", ""}));
    setModulePath(pathOf({"E:", "other"}));
    EXPECT_EQ(settingsPath(), pathOf({"E:", "other.tmp"}));
    EXPECT_EQ(moduleFolder(), pathOf({"E:", ""}));
}

}  // namespace
