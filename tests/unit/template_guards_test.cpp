// A failing phase is reported and the rendering goes on (or, after the
// single pass has started, ends) with the text as the phase left it.
#include <stdexcept>

#include <boost/regex.hpp>

#include "template_fixture.h"

namespace {

// Throws `Error` the `nth` time (from 1) the rendering enters `stage`.
template <typename Error>
RenderStageHook failAt(RenderStage stage, int nth, Error error) {
    auto seen = std::make_shared<int>(0);
    return [=](RenderStage entered) {
        if (entered == stage && ++*seen == nth) throw error;
    };
}

const boost::regex_error kComplexity(boost::regex_constants::error_complexity);

}  // namespace

class RenderGuards : public TemplateFixture {
protected:
    void SetUp() override {
        TemplateFixture::SetUp();
        setHeader("From", "ann@example.org");
        session->attachments.push_back({"/tmp/", "a.txt"});
        setHeader("Cc", "cc@example.org");
        writeMailboxFile("MailBox.ini", "[Account]\r\nYourName=Bo\r\nMailAddress=bo@example.org\r\n");
        writeMailboxFile("$$$00000Default.txt", "Sig");
    }
};

TEST_F(RenderGuards, GuardAKeepsWhatTheCharsetPhaseReplaced) {
    setRenderStageHook(failAt(RenderStage::CharsetText, 2, kComplexity));
    EXPECT_EQ(render("%CETXT{a}{b} %CETXT{c}{d} %f %h{Cc}", "UTF-8"), "b %CETXT{c}{d} ann@example.org cc@example.org");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));
}

TEST_F(RenderGuards, GuardACoversTheMetaRewriteBeforeTheCharsetPhase) {
    session->resetCharset = true;
    setRenderStageHook(failAt(RenderStage::MetaCharset, 1, kComplexity));
    EXPECT_EQ(render("<meta content=\"text/html; charset=x\">%CETXT{a}{b}", "UTF-8"),
              "<meta content=\"text/html; charset=x\">%CETXT{a}{b}");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));
}

TEST_F(RenderGuards, GuardBStopsOnlyTheSignaturePhase) {
    setRenderStageHook(failAt(RenderStage::NamedSignature, 2, kComplexity));
    EXPECT_EQ(render("%G{} %G{} %N", "UTF-8"), "<div>Sig</div><div></div><div></div> %G{} Bo");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));
}

TEST_F(RenderGuards, GuardCLeavesUnregisteredIdentityPlaceholders) {
    setRenderStageHook(failAt(RenderStage::Identity, 1, std::runtime_error("disk")));
    EXPECT_EQ(render("%N|%A|%f|%m|%%", "UTF-8"), "%N|%A|ann@example.org|QUOTED|%");
    EXPECT_EQ(boxes, oneBox("Error in loading mailbox.ini!", "Error!"));

    boxes.clear();
    setRenderStageHook(failAt(RenderStage::IdentityAddress, 1, std::bad_alloc()));
    EXPECT_EQ(render("%N|%A|%m", "UTF-8"), "Bo|%A|QUOTED");
    EXPECT_EQ(boxes, oneBox("Error in loading mailbox.ini!", "Error!"));
}

TEST_F(RenderGuards, GuardDCoversBothListKinds) {
    setRenderStageHook(failAt(RenderStage::AttachmentListH, 2, kComplexity));
    EXPECT_EQ(render("%LH{A:} %LH{B:} %LV{C:} %h{Cc}", "UTF-8"), "A: a.txt %LH{B:} %LV{C:} cc@example.org");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));
}

TEST_F(RenderGuards, GuardECoversTheFreeHeaderAndDatePhases) {
    setRenderStageHook(failAt(RenderStage::FreeHeader, 1, kComplexity));
    EXPECT_EQ(render("%h{Cc} %D{} %f", "UTF-8"), "%h{Cc} %D{} ann@example.org");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));

    boxes.clear();
    setRenderStageHook(failAt(RenderStage::LocalDate, 1, kComplexity));
    EXPECT_EQ(render("%h{Cc} %D{} %f", "UTF-8"), "cc@example.org %D{} ann@example.org");
    EXPECT_EQ(boxes, oneBox(kComplexity.what(), "Error!"));
}

TEST_F(RenderGuards, GuardFEndsTheRenderingWhereTheStepFailed) {
    setRenderStageHook(failAt(RenderStage::SinglePass, 1, kComplexity));
    EXPECT_EQ(render("%CETXT{a}{b} %f %R", "UTF-8"), "b %f %R");
    EXPECT_EQ(session->renderedText, "");
    EXPECT_EQ(boxes, oneBox("Regular expression error! ", "Error!"));

    boxes.clear();
    setRenderStageHook(failAt(RenderStage::SignatureTokens, 1, kComplexity));
    EXPECT_EQ(render("%f %R", "UTF-8"), "ann@example.org %RANDOM-SIGN");
    EXPECT_EQ(session->renderedText, "ann@example.org %RANDOM-SIGN");
    EXPECT_EQ(boxes, oneBox("Regular expression error! ", "Error!"));
}

TEST_F(RenderGuards, OtherErrorsReachTheCaller) {
    for (const RenderStage stage : {RenderStage::CharsetText, RenderStage::NamedSignature, RenderStage::AttachmentListV,
                                    RenderStage::FreeHeader, RenderStage::LocalDate, RenderStage::SinglePass,
                                    RenderStage::ConvertSignature}) {
        setRenderStageHook(failAt(stage, 1, std::bad_alloc()));
        EXPECT_THROW(render("%CETXT{a}{b}%G{}%LV{}%h{Cc}%D{}%f"), std::bad_alloc);
    }
    EXPECT_TRUE(boxes.empty());
    // The header buffer went back to the host each time (checked on tear-down).
}
