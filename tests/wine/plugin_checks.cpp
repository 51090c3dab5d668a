#include "tests/wine/plugin_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace wintest {

const std::vector<std::string>& popupCommandNames() {
    static const std::vector<std::string> names = {"Refresh HTML", "Auto",       "GB2312",     "GB18030",
                                                   "HZ-GB-2312",   "BIG5",       "UTF-8",      "UTF-7",
                                                   "US-ASCII",     "ISO-8859-1", "ISO-8859-2", "ISO-8859-15"};
    return names;
}

void expectHostExportsEveryName() {
    HMODULE self = GetModuleHandleA(nullptr);
    for (const auto* names : {&requiredHostNames(), &optionalHostNames()}) {
        for (const std::string& name : *names) EXPECT_NE(GetProcAddress(self, name.c_str()), nullptr) << name;
    }
    EXPECT_EQ(requiredHostNames().size(), 54u);
    EXPECT_EQ(optionalHostNames().size(), 4u);
}

void expectCallbacksAtTheirOrdinals(HMODULE plugin) {
    const struct {
        const char* name;
        WORD ordinal;
    } exports[] = {{"BKC_OnStart", 1},       {"BKC_OnExit", 2},         {"BKC_OnMenuInit", 3},
                   {"BKC_OnOpenCompose", 7}, {"BKC_OnKeyDispatch", 9},  {"BKC_OnPlugInSetup", 13},
                   {"BKC_OnPlugInInfo", 14}};
    for (const auto& callback : exports) {
        const FARPROC byName = GetProcAddress(plugin, callback.name);
        EXPECT_NE(byName, nullptr) << callback.name;
        EXPECT_EQ(GetProcAddress(plugin, MAKEINTRESOURCEA(callback.ordinal)), byName) << callback.name;
    }
    for (WORD unused : {4, 5, 6, 8, 10, 11, 12, 15}) {
        EXPECT_EQ(GetProcAddress(plugin, MAKEINTRESOURCEA(unused)), nullptr) << "ordinal " << unused;
    }
}

void expectInfoRecordFilled(const PluginCallbacks& plugin) {
    // A record larger than the four fields, prefilled so that stray writes show.
    std::vector<char> record(400, '\x7f');
    EXPECT_EQ(plugin.onPlugInInfo(reinterpret_cast<PlugInInfoRecord*>(record.data())), 0);
    EXPECT_STREQ(&record[0], "testtorvne");
    EXPECT_STREQ(&record[80], "Kestrum");
    EXPECT_STREQ(&record[160], "0.3.8");
    EXPECT_STREQ(&record[240], "torvane in new way");
    // Nothing is written past the terminators.
    EXPECT_EQ(record[0 + 11], '\x7f');
    EXPECT_EQ(record[80 + 8], '\x7f');
    EXPECT_EQ(record[160 + 6], '\x7f');
    EXPECT_EQ(record[240 + 19], '\x7f');
    for (std::size_t i = 320; i < record.size(); ++i) ASSERT_EQ(record[i], '\x7f') << i;
}

void expectVersionBox(const std::vector<CaughtBox>& boxes) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "testtorvane [0.3.8]");
    EXPECT_EQ(boxes[0].caption, "Version");
}

}  // namespace wintest
