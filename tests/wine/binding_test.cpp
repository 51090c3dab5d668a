// Binding the host interface at load time: which hosts the plug-in accepts.
#include <gtest/gtest.h>

#include "tests/wine/export_hiding.h"
#include "tests/wine/host_fixture.h"
#include "tests/wine/plugin_checks.h"

namespace wintest {
namespace {

class Binding : public HostFixture {
protected:
    // Loads and unloads the plug-in; true when the system accepted it.
    bool loads() {
        const bool loaded = loadPlugin();
        if (loaded) {
            unloadPlugin();
        } else {
            // Refused by its load notification, not for any other reason.
            EXPECT_EQ(loadError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
        }
        return loaded;
    }
};

TEST_F(Binding, TheHostExportsEveryNameOfTheInterface) { expectHostExportsEveryName(); }

TEST_F(Binding, HidingANameMakesItUnresolvableUntilRestored) {
    HMODULE self = GetModuleHandleA(nullptr);
    {
        HiddenHostExport hidden("BKA_Alloc");
        EXPECT_EQ(GetProcAddress(self, "BKA_Alloc"), nullptr);
        EXPECT_NE(GetProcAddress(self, "BKA_Free"), nullptr);
    }
    EXPECT_NE(GetProcAddress(self, "BKA_Alloc"), nullptr);
}

TEST_F(Binding, ACompleteHostLoadsThePluginAndIsAskedItsVersion) {
    ASSERT_TRUE(loadPlugin());
    // Nothing else is called while loading.
    EXPECT_EQ(host().calls, std::vector<std::string>{"BKA_GetVersion"});
    expectCallbacksAtTheirOrdinals(pluginModule());
}

TEST_F(Binding, EveryRequiredNameIsNeeded) {
    for (const std::string& name : requiredHostNames()) {
        HiddenHostExport hidden(name);
        EXPECT_FALSE(loads()) << "loaded without " << name;
    }
    EXPECT_TRUE(loads());
}

TEST_F(Binding, TheVersionDependentNamesMayBeMissing) {
    // BKA_SetStatus may only be missing in a host older than 2.00.06.
    host().version = "2.00.05";
    for (const std::string& name : optionalHostNames()) {
        HiddenHostExport hidden(name);
        EXPECT_TRUE(loads()) << "refused without " << name;
    }
    host().version = "2.00.07";
    for (const char* name : {"BKA_NextUnread", "BKA_ProcessMail", "BKA_GetSize"}) {
        HiddenHostExport hidden(name);
        EXPECT_TRUE(loads()) << "refused without " << name;
    }
}

struct VersionCase {
    const char* version;
    bool bindsWithoutSetStatus;
};

TEST_F(Binding, VersionRuleDecidesWhetherSetStatusIsNeeded) {
    const VersionCase cases[] = {
        {"2.00.05", true},    // older
        {"1.26.04", true},    // older
        {"2.00", true},       // a prefix orders before
        {"", true},           // empty orders before everything
        {"10.00", true},      // compared as text: "1" before "2"
        {"2.00.06", false},   // exactly the version that brought BKA_SetStatus
        {"2.00.07", false},   // later
        {"2.10.00", false},   // later
        {"3", false},         // later, short
        {"2.00.05a", false},  // eight characters: never older
        {"1.00.0000", false}, // older by text but too long
    };
    for (const VersionCase& versionCase : cases) {
        host().version = versionCase.version;
        EXPECT_TRUE(loads()) << "with BKA_SetStatus, version \"" << versionCase.version << "\"";
        HiddenHostExport hidden("BKA_SetStatus");
        EXPECT_EQ(loads(), versionCase.bindsWithoutSetStatus)
            << "without BKA_SetStatus, version \"" << versionCase.version << "\"";
    }
}

TEST_F(Binding, ARefusedLoadLeavesNothingBehindForTheNextLoad) {
    {
        HiddenHostExport hidden("BKA_GetSource");
        EXPECT_FALSE(loads());
    }
    startPlugin();
    EXPECT_EQ(host().countCalls("BKA_GetWindowHandles"), 1);
}

}  // namespace
}  // namespace wintest
