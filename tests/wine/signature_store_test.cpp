// The signature store and the mailbox identity on Windows: signature files
// enumerated with FindFirstFileA/FindNextFileA in a real folder with
// backslash paths, read through the C runtime, "MailBox.ini" read with
// GetPrivateProfileStringA, and the read error shown with MessageBoxA.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/host_api.h"
#include "session/compose_session.h"
#include "signature/signature_store.h"
#include "template/render_template.h"
#include "tools/winhost/message_box_catcher.h"
#include "tests/wine/scratch_folder.h"
#include "tools/hostsim/sim_host.h"

namespace {

const HostWindow kWindow = reinterpret_cast<HostWindow>(0x7070);

void* BKA_CALL refuseAlloc(int) { return nullptr; }

class SignatureStoreOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        scratch_ = std::make_unique<wintest::ScratchFolder>();
        hostsim::simHost().dataFolder = scratch_->subfolder("data");
        CreateDirectoryA((hostsim::simHost().dataFolder + "Main").c_str(), nullptr);
        hostsim::simHost().currentMailBox = "Main\\";
        folder = hostsim::simHost().dataFolder + "Main\\";
        hostsim::simHost().compositions[kWindow];
        session = std::make_unique<ComposeSession>(kWindow, SessionKind::Compose);
        catcher_ = std::make_unique<wintest::MessageBoxCatcher>();
        std::srand(9);
    }
    void TearDown() override {
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
        catcher_.reset();
        session.reset();
        scratch_.reset();
        hostsim::simHost().reset();
    }

    void write(const std::string& name, const std::string& content) { wintest::writeTextFile(folder + name, content); }
    std::vector<wintest::CaughtBox> takeBoxes() { return catcher_->take(); }

    // "$$$" files in the order FindFirstFileA/FindNextFileA return them.
    std::vector<std::string> enumerated() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*.txt").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.compare(0, 3, "$$$") == 0) {
                names.push_back(name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    std::string folder;  // ends in a backslash
    std::unique_ptr<ComposeSession> session;

private:
    std::unique_ptr<wintest::ScratchFolder> scratch_;
    std::unique_ptr<wintest::MessageBoxCatcher> catcher_;
};

TEST_F(SignatureStoreOnWindows, NamedLookupSkipsEverythingThatIsNoSignatureFileAndTakesLongNames) {
    write("signature.txt", "not one");
    write("$$$00009Work.doc", "not one");
    ASSERT_TRUE(CreateDirectoryA((folder + "$$$00008Work.txt").c_str(), nullptr));
    const std::string longName = "$$$00001" + std::string(38, 'w') + ".txt";
    write(longName, "fifty characters");
    std::string name;
    EXPECT_FALSE(findSignatureFile(folder, *session, "work", false, name));
    EXPECT_EQ(name, "");
    // Only the random draw has no room for fifty characters.
    EXPECT_TRUE(findSignatureFile(folder, *session, "www", false, name));
    EXPECT_EQ(name, longName);

    write("$$$00001html_Work.txt", "<b>W</b>");
    write("$$$00002Workshop.txt", "shop");
    ASSERT_TRUE(findSignatureFile(folder, *session, "WORK", false, name));
    std::string firstMatch;
    for (const auto& candidate : enumerated()) {
        if (candidate == "$$$00001html_Work.txt" || candidate == "$$$00002Workshop.txt") {
            firstMatch = candidate;
            break;
        }
    }
    EXPECT_EQ(name, firstMatch);
    EXPECT_EQ(session->signatureIsHtml, name == "$$$00001html_Work.txt");

    // The search pattern gets its backslash when the folder text lacks one.
    name.clear();
    ASSERT_TRUE(findSignatureFile(folder.substr(0, folder.size() - 1), *session, "shop", false, name));
    EXPECT_EQ(name, "$$$00002Workshop.txt");
    EXPECT_FALSE(session->signatureIsHtml);
}

TEST_F(SignatureStoreOnWindows, RandomDrawsOnlyFromTheFirstHundredEnumerated) {
    for (int i = 0; i < 110; ++i) {
        char name[40];
        wsprintfA(name, "$$$%05dSig%03d.txt", i, i);
        write(name, "s");
    }
    ASSERT_TRUE(CreateDirectoryA((folder + "$$$00000Dir.txt").c_str(), nullptr));
    const auto order = enumerated();
    ASSERT_EQ(order.size(), 110u);
    const std::set<std::string> firstHundred(order.begin(), order.begin() + 100);
    std::set<std::string> drawn;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        ASSERT_TRUE(findSignatureFile(folder, *session, "", true, name));
        EXPECT_EQ(firstHundred.count(name), 1u) << name;
        drawn.insert(name);
    }
    EXPECT_GT(drawn.size(), 90u);
}

TEST_F(SignatureStoreOnWindows, FilesAreReadLineByLineWithCrLf) {
    write("$$$00000Default.txt", "Regards\r\nAnn\r\n");
    loadRandomSignature(*session);
    EXPECT_EQ(session->signatureText, "Regards\r\nAnn\r\n\r\n\r\n");
    EXPECT_FALSE(session->signatureIsHtml);

    write("empty.txt", "");
    loadSignature(*session, folder + "empty.txt");
    EXPECT_EQ(session->signatureText, "\r\n\r\n");

    loadSignature(*session, folder + "missing.txt");
    EXPECT_EQ(session->signatureText, "");
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(SignatureStoreOnWindows, AReadErrorIsShownInAMessageBox) {
    write("sig.txt", "text");
    hostApi().BKA_Alloc = &refuseAlloc;
    loadSignature(*session, folder + "sig.txt");
    hostsim::installSimulatedHost();
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "IO Error in handling signature!");
    EXPECT_EQ(boxes[0].caption, "Error");
}

TEST_F(SignatureStoreOnWindows, RenderingFillsIdentityAndSignaturesFromTheMailboxFolder) {
    write("MailBox.ini", "[Account]\r\nYourName=Bo Chen\r\nMailAddress=Bo <bo@example.org>\r\n");
    write("$$$00001html_Work.txt", "<b>Work</b>");
    std::string text = "%N|%A|%G{work}|%R";
    renderTemplate(nullptr, *session, "", text);
    EXPECT_EQ(text, "Bo Chen|Bo &lt;bo@example.org&gt;|<b>Work</b>\r\n\r\n|<b>Work</b>\r\n\r\n");
    EXPECT_EQ(session->renderedText, "Bo Chen|Bo &lt;bo@example.org&gt;|<b>Work</b>\r\n\r\n|%RANDOM-SIGN");
    EXPECT_TRUE(takeBoxes().empty());
}

}  // namespace
