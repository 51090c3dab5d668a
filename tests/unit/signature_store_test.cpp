// Finding, choosing and reading the mailbox's signature files.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/host_api.h"
#include "signature/signature_store.h"
#include "template_fixture.h"

class SignatureStore : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        std::srand(5);
    }
    std::string folder() const { return mailboxFolder(); }

    // Candidate names in the order the file system enumerates them.
    std::vector<std::string> enumerated() const {
        std::vector<std::string> names;
        for (const auto& entry : platform::listDirectory(folder(), ".txt")) {
            if (!entry.isDirectory && entry.name.rfind("$$$", 0) == 0) names.push_back(entry.name);
        }
        return names;
    }
};

TEST_F(SignatureStore, DefaultOnlyIsFoundByEveryMode) {
    writeMailboxFile("$$$00000Default.txt", "d");
    for (const char* wanted : {"default", "Default", "fault", ""}) {
        std::string name;
        EXPECT_TRUE(findSignatureFile(folder(), *session, wanted, false, name)) << wanted;
        EXPECT_EQ(name, "$$$00000Default.txt");
    }
    for (int i = 0; i < 20; ++i) {
        std::string name;
        EXPECT_TRUE(findSignatureFile(folder(), *session, "", true, name));
        EXPECT_EQ(name, "$$$00000Default.txt");
        EXPECT_FALSE(session->signatureIsHtml);
    }
}

TEST_F(SignatureStore, FirstEnumeratedMatchWinsAndSetsTheHtmlFlag) {
    writeMailboxFile("$$$00001html_Work.txt", "w");
    writeMailboxFile("$$$00002Workshop.txt", "s");
    std::string name;
    ASSERT_TRUE(findSignatureFile(folder(), *session, "work", false, name));
    EXPECT_EQ(name, enumerated().front());
    EXPECT_EQ(session->signatureIsHtml, name == "$$$00001html_Work.txt");

    name.clear();
    ASSERT_TRUE(findSignatureFile(folder(), *session, "SHOP", false, name));
    EXPECT_EQ(name, "$$$00002Workshop.txt");
    EXPECT_FALSE(session->signatureIsHtml);
}

TEST_F(SignatureStore, HtmlOnlyAtTheNinthCharacter) {
    writeMailboxFile("$$$00003thanks.txt", "t");
    writeMailboxFile("$$$0004html_odd.txt", "o");
    writeMailboxFile("$$$00005HTML_caps.txt", "c");
    for (const char* wanted : {"thanks", "odd", "caps"}) {
        std::string name;
        ASSERT_TRUE(findSignatureFile(folder(), *session, wanted, false, name));
        EXPECT_FALSE(session->signatureIsHtml) << name;
    }
}

TEST_F(SignatureStore, NonSignatureFilesAndFoldersAreIgnored) {
    writeMailboxFile("signature.txt", "x");
    writeMailboxFile("$$$00001Notes.doc", "x");
    std::filesystem::create_directory(folder() + "$$$x.txt");
    std::string name = "unchanged";
    EXPECT_FALSE(findSignatureFile(folder(), *session, "", false, name));
    EXPECT_FALSE(findSignatureFile(folder(), *session, "", true, name));
    EXPECT_EQ(name, "unchanged");
}

TEST_F(SignatureStore, MissingFolderFindsNothingAndClearsTheFlag) {
    session->signatureIsHtml = true;
    std::string name;
    EXPECT_FALSE(findSignatureFile(folder() + "nowhere/", *session, "x", false, name));
    EXPECT_FALSE(session->signatureIsHtml);
}

TEST_F(SignatureStore, OnlyTheFirstHundredCanBeDrawn) {
    for (int i = 0; i < 130; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "$$$%05dSig%03d.txt", i, i);
        writeMailboxFile(name, "s");
    }
    const auto order = enumerated();
    ASSERT_EQ(order.size(), 130u);
    std::set<std::string> drawn;
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        ASSERT_TRUE(findSignatureFile(folder(), *session, "", true, name));
        drawn.insert(name);
    }
    for (std::size_t i = 100; i < order.size(); ++i) EXPECT_EQ(drawn.count(order[i]), 0u) << order[i];
    EXPECT_GT(drawn.size(), 90u) << "draws should spread over the first hundred";
}

TEST_F(SignatureStore, LongNamesAreLeftOutOfTheDrawOnlyAndLongFoldersFindNothing) {
    const std::string name49 = "$$$00001" + std::string(37, 'a') + ".txt";
    const std::string name50 = "$$$00002html_" + std::string(33, 'b') + ".txt";
    ASSERT_EQ(name49.size(), 49u);
    ASSERT_EQ(name50.size(), 50u);
    writeMailboxFile(name49, "a");
    writeMailboxFile(name50, "b");
    std::string found;
    EXPECT_TRUE(findSignatureFile(folder(), *session, "aaa", false, found));
    EXPECT_EQ(found, name49);
    EXPECT_TRUE(findSignatureFile(folder(), *session, "bbb", false, found));
    EXPECT_EQ(found, name50);
    EXPECT_TRUE(session->signatureIsHtml);
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(findSignatureFile(folder(), *session, "", true, found));
        EXPECT_EQ(found, name49);
    }

    // A folder whose search pattern would not fit in 256 characters.
    std::string deep = folder();
    while (deep.size() + 6 <= 255) deep += "d";
    std::string fits = deep.substr(0, deep.size() - 1) + platform::kPathSeparator;
    std::filesystem::create_directories(deep);
    std::filesystem::create_directories(fits);
    std::ofstream(deep + platform::kPathSeparator + "$$$00000Default.txt") << "d";
    std::ofstream(fits + "$$$00000Default.txt") << "d";
    ASSERT_EQ(fits.size() + 5, 255u);
    EXPECT_TRUE(findSignatureFile(fits, *session, "", true, found));
    EXPECT_FALSE(findSignatureFile(deep + platform::kPathSeparator, *session, "", true, found));
    EXPECT_FALSE(findSignatureFile(deep, *session, "", true, found));
}

TEST_F(SignatureStore, LinesEndInCrLfWithOneMoreAtTheEnd) {
    const auto load = [&](const std::string& content) {
        writeMailboxFile("sig.txt", content);
        loadSignature(*session, folder() + "sig.txt");
        return session->signatureText;
    };
    EXPECT_EQ(load("Regards\r\nName\r\n"), "Regards\r\nName\r\n\r\n\r\n");
    EXPECT_EQ(load("Regards\r\nName"), "Regards\r\nName\r\n\r\n");
    EXPECT_EQ(load("Unix\nlines\n"), "Unix\r\nlines\r\n\r\n\r\n");
    EXPECT_EQ(load("lone\rCR\r\n"), "lone\rCR\r\n\r\n\r\n");
    EXPECT_EQ(load(""), "\r\n\r\n");
    EXPECT_EQ(load("\r\n"), "\r\n\r\n\r\n");
}

TEST_F(SignatureStore, LongLinesAreCutAndEndTheRead) {
    writeMailboxFile("exact.txt", std::string(32767, 'x') + "\r\nnext");
    loadSignature(*session, folder() + "exact.txt");
    EXPECT_EQ(session->signatureText, std::string(32767, 'x') + "\r\nnext\r\n\r\n");

    writeMailboxFile("long.txt", std::string(40000, 'y') + "\r\nnext\r\n");
    loadSignature(*session, folder() + "long.txt");
    EXPECT_EQ(session->signatureText, std::string(32767, 'y') + "\r\n\r\n");
}

TEST_F(SignatureStore, MissingFileGivesAnEmptyTextSilently) {
    session->signatureText = "old";
    loadSignature(*session, folder() + "$$$00000Default.txt");
    EXPECT_EQ(session->signatureText, "");
    std::filesystem::create_directory(folder() + "dir.txt");
    loadSignature(*session, folder() + "dir.txt");
    EXPECT_EQ(session->signatureText, "");
    EXPECT_TRUE(boxes.empty());
}

namespace {
void* BKA_CALL refuseAlloc(int) { return nullptr; }
}  // namespace

TEST_F(SignatureStore, ReadErrorsAreReportedAndKeepWhatWasRead) {
    writeMailboxFile("sig.txt", "text");
    session->signatureText = "old";
    hostApi().BKA_Alloc = &refuseAlloc;
    loadSignature(*session, folder() + "sig.txt");
    hostsim::installSimulatedHost();
    EXPECT_EQ(session->signatureText, "");
    EXPECT_EQ(boxes, oneBox("IO Error in handling signature!", "Error"));
}

TEST_F(SignatureStore, RandomSignatureFallsBackToTheDefaultAsPlainText) {
    loadRandomSignature(*session);
    EXPECT_EQ(session->signatureText, "");
    EXPECT_FALSE(session->signatureIsHtml);

    writeMailboxFile("$$$00001html_Only.txt", "<b>H</b>");
    loadRandomSignature(*session);
    EXPECT_EQ(session->signatureText, "<b>H</b>\r\n\r\n");
    EXPECT_TRUE(session->signatureIsHtml);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SignatureStore, RandomSignatureLoadsTheDefaultByPathWhenTheFolderCannotBeSearched) {
    std::string deep = host().dataFolder;
    while (deep.size() < 260) deep += "m";
    deep += platform::kPathSeparator;
    std::filesystem::create_directories(deep);
    std::ofstream(deep + "$$$00000Default.txt") << "D";
    std::ofstream(deep + "$$$00001html_X.txt") << "X";
    host().currentMailBox = deep.substr(host().dataFolder.size());
    session->signatureIsHtml = true;
    loadRandomSignature(*session);
    EXPECT_EQ(session->signatureText, "D\r\n\r\n");
    EXPECT_FALSE(session->signatureIsHtml);
}
