// Hostile structure: nesting and width far beyond real mail must neither
// exhaust the stack nor the host's memory.
#include <pthread.h>

#include <functional>

#include "mime_test_support.h"

namespace {

using mimetest::linesOf;
using mimetest::parseText;

constexpr int kHostileCount = 100000;

class Nesting : public mimetest::HostFixture {};

// Runs `work` on a thread with a 1 MiB stack, the default of a Windows
// program's main thread.
void onSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1024 * 1024);
    pthread_t thread;
    auto trampoline = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, trampoline, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string deeplyNested(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) {
        const std::string boundary = "=_level_" + std::to_string(i) + "_=";
        text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n--" + boundary + "\r\n";
    }
    text += "Content-Type: text/plain\r\n\r\ndeepest\r\n";
    for (int i = levels - 1; i >= 0; --i) text += "--=_level_" + std::to_string(i) + "_=--\r\n";
    return text;
}

int partCount(MimePart& root) {
    int count = 0;
    forEachPart(root, [&](MimePart&) { ++count; });
    return count;
}

TEST_F(Nesting, AHundredThousandLevelsStopAtTheDepthBound) {
    const std::string text = deeplyNested(kHostileCount);
    onSmallStack([&] {
        MimePart root;
        parseText(root, text);
        MimePart* deepest = &root;
        while (deepest->firstChild) {
            EXPECT_FALSE(deepest->firstChild->nextSibling);
            deepest = deepest->firstChild.get();
        }
        EXPECT_EQ(deepest->depth(), MimePart::kMaxNestingDepth);
        EXPECT_EQ(partCount(root), MimePart::kMaxNestingDepth + 1);
        // Everything below the bound stays body text of the deepest part, up
        // to its enclosing part's closing delimiter.
        const auto lines = linesOf(deepest->body);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), "--=_level_64_=\r\n");
        EXPECT_EQ(lines.back(), "--=_level_64_=--\r\n");
        EXPECT_NE(std::find(lines.begin(), lines.end(), "deepest\r\n"), lines.end());
        // The levels above the bound close properly.
        EXPECT_EQ(deepest->boundary, "=_level_64_=");
        EXPECT_TRUE(root.epilogue.empty());
        EXPECT_EQ(root.findPart("text", "plain"), nullptr);
    });
}

TEST_F(Nesting, OneBoundaryNestedAgainAndAgain) {
    std::string text;
    for (int i = 0; i < kHostileCount; ++i) text += "Content-Type: multipart/mixed; boundary=b\n\n--b\n";
    onSmallStack([&] {
        MimePart root;
        parseText(root, text);
        // Past the bound each delimiter ends the deepest part and its parent
        // starts the next: the parts become siblings instead.
        int deepest = 0;
        forEachPart(root, [&](MimePart& part) { deepest = std::max(deepest, part.depth()); });
        EXPECT_EQ(deepest, MimePart::kMaxNestingDepth);
        EXPECT_EQ(partCount(root), kHostileCount + 1);
    });
}

TEST_F(Nesting, AHundredThousandSiblingsCostNoHostMemory) {
    std::string text = "Content-Type: multipart/mixed; boundary=b\n\n";
    for (int i = 0; i < kHostileCount; ++i) text += "--b\n\n" + std::to_string(i) + "\n";
    text += "--b--\n";
    onSmallStack([&] {
        MimePart root;
        parseText(root, text);
        EXPECT_EQ(partCount(root), kHostileCount + 1);
        EXPECT_EQ(root.findPart("image", nullptr), nullptr);
        MimePart* last = root.firstChild.get();
        while (last->nextSibling) last = last->nextSibling.get();
        EXPECT_EQ(joinLines(last->body), std::to_string(kHostileCount - 1) + "\r\n");
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 4u);
    });
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
}

TEST_F(Nesting, AHandBuiltChainIsWalkedAndDestroyedWithoutRecursion) {
    onSmallStack([] {
        MimePart root;
        MimePart* tip = &root;
        for (int i = 0; i < kHostileCount; ++i) {
            tip->firstChild = tip->newSubPart();
            tip = tip->firstChild.get();
            tip->nextSibling = tip->newSubPart();
        }
        tip->type = "image";
        EXPECT_EQ(partCount(root), 2 * kHostileCount + 1);
        EXPECT_EQ(root.findPart("image", nullptr), tip);
    });
}

}  // namespace
