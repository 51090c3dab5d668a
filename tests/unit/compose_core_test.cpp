// The portable steps of the reply flow against the simulated host.
#include "composer/compose_core.h"
#include "platform/large_blocks.h"
#include "template_fixture.h"

class ComposeCore : public TemplateFixture {
protected:
    void TearDown() override {
        platform::setLargeBlocksFailForTesting(false);
        TemplateFixture::TearDown();
    }
};

// The fixture's tear-down finds the message's source block given back.
TEST_F(ComposeCore, AMessageTooLargeForMemoryIsReportedAndItsSourceGoesBack) {
    host().message.rawSource = "Subject: large\r\n\r\nbody\r\n";
    platform::setLargeBlocksFailForTesting(true);
    const ComposeResult result = composeReply(*session, "unused.tml", nullptr);
    EXPECT_EQ(result.outcome, ComposeOutcome::Failed);
    EXPECT_EQ(host().countCalls("BKA_GetSource"), 1);
    EXPECT_EQ(boxes, oneBox("Error in handling email!", "Error"));
}
