#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "platform/file_text.h"
#include "platform/host_api.h"
#include "tests/mail_text_cases.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/message_loader.h"
#include "tools/hostsim/sim_host.h"

namespace {

class HostsimHostFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        char pattern[] = "/tmp/h2hostXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        for (const auto& name : created_) std::remove((folder_ + "/" + name).c_str());
        rmdir(folder_.c_str());
    }

    std::string file(const std::string& name, const std::string& content) {
        std::ofstream(folder_ + "/" + name, std::ios::binary) << content;
        created_.push_back(name);
        return folder_ + "/" + name;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }

    std::string folder_;
    std::vector<std::string> created_;
};

}  // namespace

TEST_F(HostsimHostFunctions, Base64FileToFileAndInPlace) {
    const std::string input = file("in.b64", "AAEC\r\n/w==\r\n");
    const std::string output = file("out.bin", "");
    EXPECT_NE(hostApi().BKA_B64Convert(output.c_str(), input.c_str(), 0), 0);
    EXPECT_EQ(read(output), std::string("\x00\x01\x02\xFF", 4));
    EXPECT_NE(hostApi().BKA_B64Convert(input.c_str(), input.c_str(), 0), 0);
    EXPECT_EQ(read(input), std::string("\x00\x01\x02\xFF", 4));
    // Written over, nothing of a longer file left behind.
    const std::string longer = file("longer.bin", "0123456789");
    EXPECT_NE(hostApi().BKA_B64Convert(longer.c_str(), file("again.b64", "AAEC/w==").c_str(), 0), 0);
    EXPECT_EQ(read(longer), std::string("\x00\x01\x02\xFF", 4));
}

TEST_F(HostsimHostFunctions, QuotedPrintableFileToFileAndInPlace) {
    const std::string input = file("in.qp", "<p>caf=E9 =\r\nau lait</p>\r\n");
    EXPECT_NE(hostApi().BKA_QPConvert(input.c_str(), input.c_str(), 0), 0);
    EXPECT_EQ(read(input), "<p>caf\xE9 au lait</p>\r\n");
}

// Files larger than the converters' piece, with lines that split groups
// of four and a line longer than a piece, decode as their whole text does.
TEST_F(HostsimHostFunctions, LargeFilesDecodeAsTheirWholeText) {
    for (const auto& c : mail_text_cases::largeFileCases()) {
        const std::string input = file("large.in", c.encoded);
        const std::string output = file("large.out", "");
        EXPECT_NE(c.convert(output.c_str(), input.c_str(), 0), 0);
        EXPECT_TRUE(read(output) == c.decoded);
        EXPECT_NE(c.convert(input.c_str(), input.c_str(), 0), 0);
        EXPECT_TRUE(read(input) == c.decoded);
    }
}

TEST_F(HostsimHostFunctions, FileConvertersFailWithoutInput) {
    const std::string output = folder_ + "/never.bin";
    EXPECT_EQ(hostApi().BKA_B64Convert(output.c_str(), (folder_ + "/missing").c_str(), 0), 0);
    EXPECT_EQ(hostApi().BKA_QPConvert(nullptr, nullptr, 0), 0);
    EXPECT_FALSE(std::ifstream(output).good());
}

TEST_F(HostsimHostFunctions, UtfConvertersAnswerInTheLocalCodePage) {
    hostsim::simHost().localCodePage = "GBK";
    EXPECT_STREQ(hostApi().BKA_UTF_8("\xE4\xB8\xAD\xE6\x96\x87", 1), "\xD6\xD0\xCE\xC4");
    EXPECT_STREQ(hostApi().BKA_UTF_7("+Ti1lhw-", 1), "\xD6\xD0\xCE\xC4");
    hostsim::simHost().localCodePage = "UTF-8";
    EXPECT_STREQ(hostApi().BKA_UTF_7("+ZeVnLIqe-", 1), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    // Text that is not valid in the source encoding comes back as it was.
    EXPECT_STREQ(hostApi().BKA_UTF_8("\xFF", 1), "\xFF");
}

TEST_F(HostsimHostFunctions, MimeHeaderIntoBufferOrHostText) {
    hostsim::simHost().localCodePage = "UTF-8";
    char buffer[8];
    EXPECT_EQ(hostApi().BKA_MIMEHeader("=?GB2312?B?1tDOxA==?=.txt", buffer, sizeof buffer, 0), buffer);
    EXPECT_STREQ(buffer, "\xE4\xB8\xAD\xE6\x96\x87.");  // cut to the buffer
    EXPECT_STREQ(hostApi().BKA_MIMEHeader("=?ISO-8859-1?Q?a=E9?=", nullptr, 0, 0), "a\xC3\xA9");
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
}

TEST_F(HostsimHostFunctions, HeaderNamesIgnoreCase) {
    hostsim::simHost().message.headers = {{"From", "a@example.org"}, {"Message-ID", "<1@x>"}};
    char buffer[64] = "untouched";
    EXPECT_GT(hostApi().BKA_GetSpecifiedHeader("message-id", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "<1@x>");
    std::snprintf(buffer, sizeof buffer, "untouched");
    hostApi().BKA_GetSpecifiedHeader("Messag", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "untouched");

    // Indexed as the tool does: the first of two wins, and an entry renamed
    // since is not found under its old name.
    auto& headers = hostsim::simHost().message.headers;
    headers = {{"X-A", "1"}, {"x-a", "2"}, {"Cc", "c"}};
    hostsim::simHost().indexMessageHeaders();
    hostApi().BKA_GetSpecifiedHeader("x-A", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "1");
    headers[0].first = "X-B";
    hostApi().BKA_GetSpecifiedHeader("X-A", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "2");

    const HostWindow window = reinterpret_cast<HostWindow>(0x10);
    hostsim::simHost().compositions[window].subject = "Re: hi";
    EXPECT_GT(hostApi().BKA_CompGetSpecifiedHeader(window, "SUBJECT", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "Re: hi");
}

// The tool's host hands out the source as its file's mapping (first the
// tool's own, where it offers one), the test hosts as a block read from it:
// each is the message from its offset on, the plug-in's to write in and to
// give back, and the file stays as it was.
TEST_F(HostsimHostFunctions, SourceServedFromItsFileReadOrMapped) {
    std::string message = "Subject: stored\r\n\r\n";
    while (message.size() < 6000) message += "a line of the body\r\n";
    const std::string store = "From the store's earlier bytes\r\n" + message;
    const std::string path = file("store.mbx", store);
    ASSERT_NE(store.size() % 4096, 0u);  // a NUL follows it in the last page: mapped
    for (const char* const way : {"read", "mapped", "offered"}) {
        SCOPED_TRACE(way);
        const bool mapped = std::string(way) != "read";
        hostsim::SimHost& host = hostsim::simHost();
        host.reset();
        host.message = hostsim::loadMessageWithoutSource(message, "UTF-8");
        ASSERT_TRUE(hostsim::serveSourceFromFile(host.message, path, message.size()));
        host.mapsSourceFile = mapped;
        const char* offered = nullptr;
        if (std::string(way) == "offered") {
            std::optional<platform::FileText> mapping = platform::FileText::open(path);
            ASSERT_TRUE(mapping && mapping->mapped());
            offered = mapping->data() + (store.size() - message.size());
            host.offerSourceMapping(std::move(*mapping), store.size() - message.size());
        }
        char* source = hostApi().BKA_GetSource("1");
        ASSERT_NE(source, nullptr);
        if (offered) {
            EXPECT_EQ(source, offered);
        }
        EXPECT_EQ(std::string(source), message);
        EXPECT_EQ(host.blockSize(source), message.size() + 1);
        source[0] = '#';
        EXPECT_EQ(read(path), store);
        hostApi().BKA_Free(source);
        EXPECT_EQ(host.outstandingBlocks(), 0u);
        EXPECT_EQ(host.invalidFrees(), 0u);
        // One left outstanding goes with the host's reset; an offered
        // mapping serves once, then the file is mapped again.
        const char* again = hostApi().BKA_GetSource("1");
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(std::string(again), message);
        host.mapsSourceFile = mapped;
        host.reset();
        hostsim::installSimulatedHost();
    }
}
