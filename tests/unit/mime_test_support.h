// Shared by the mime tests: a simulated host whose temporary folder is a
// fresh directory, and small helpers to parse texts and read files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "mime/mime_part.h"
#include "platform/files.h"
#include "tools/hostsim/sim_host.h"

namespace mimetest {

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string dataFile(const std::string& name) {
    return readWhole(std::string(TORVANE_SOURCE_DIR) + "/tests/data/mime/" + name);
}

inline void parseText(MimePart& root, const std::string& text) {
    const char* cursor = text.c_str();
    root.parse(cursor, nullptr);
}

inline std::vector<std::string> linesOf(const LineList& list) {
    std::vector<std::string> lines;
    for (std::string_view line : list) lines.emplace_back(line);
    return lines;
}

inline std::vector<MimePart*> childrenOf(MimePart& part) {
    std::vector<MimePart*> children;
    for (MimePart* child = part.firstChild.get(); child; child = child->nextSibling.get()) children.push_back(child);
    return children;
}

// CR LF line ends replaced by `lineEnd`.
inline std::string withLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            result += lineEnd;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

// A simulated host with its own empty temporary folder.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        char pattern[] = "/tmp/torvane-mime-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch = pattern;
        tempFolder = scratch + "/temp/";
        std::filesystem::create_directory(tempFolder);
        hostsim::simHost().tempFolder = tempFolder;
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
        hostsim::simHost().reset();
    }

    // Every file below the scratch directory, relative to it.
    std::vector<std::string> filesWritten() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch)) {
            if (entry.is_regular_file()) files.push_back(std::filesystem::relative(entry.path(), scratch).string());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string scratch;     // holds the temporary folder and nothing else
    std::string tempFolder;  // ends in "/"
};

}  // namespace mimetest
