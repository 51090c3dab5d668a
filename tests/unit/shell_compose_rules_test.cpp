#include <gtest/gtest.h>

#include "shell/compose_open_rules.h"

namespace {

TEST(ComposeOpenRules, RepliesAndForwardsByMode) {
    for (int mode : {5, 6, 7}) EXPECT_EQ(composeAnswerFor(mode), ComposeAnswer::Reply) << mode;
    for (int mode : {10, 11, 12}) EXPECT_EQ(composeAnswerFor(mode), ComposeAnswer::Forward) << mode;
    for (int mode : {-1, 0, 1, 4, 8, 9, 13, 100}) EXPECT_EQ(composeAnswerFor(mode), ComposeAnswer::None) << mode;
}

TEST(ComposeOpenRules, DraftAndOutboxFoldersInAnyCase) {
    EXPECT_TRUE(isDraftOrOutboxFolder("1234abcd\\!!!Draft\\"));
    EXPECT_TRUE(isDraftOrOutboxFolder("1234abcd\\!!!dRAFT\\"));
    EXPECT_TRUE(isDraftOrOutboxFolder("1234abcd\\!!!!OUTBOX\\"));
    EXPECT_TRUE(isDraftOrOutboxFolder("!!!!outbox"));
    EXPECT_FALSE(isDraftOrOutboxFolder("1234abcd\\!!Draft\\"));
    // Three marks before Outbox is not the outbox.
    EXPECT_FALSE(isDraftOrOutboxFolder("1234abcd\\!!!Outbox\\"));
    EXPECT_FALSE(isDraftOrOutboxFolder("1234abcd\\Inbox\\"));
    EXPECT_FALSE(isDraftOrOutboxFolder(""));
}

}  // namespace
