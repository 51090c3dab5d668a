// %LH{label}, %LV{label} and %h{"prefix"name}.
#include "template/attachment_list.h"
#include "template_fixture.h"

class AttachmentLists : public TemplateFixture {
protected:
    void attach(const std::string& name) { session->attachments.push_back({"/tmp/att/", name}); }
};

TEST_F(AttachmentLists, HorizontalAndVerticalLayouts) {
    attach("a.txt");
    attach("b.png");
    EXPECT_EQ(buildAttachmentList(*session, false, "Files:"), "Files: a.txt, b.png");
    EXPECT_EQ(buildAttachmentList(*session, true, "Files:"), "Files:<br/>(1)a.txt<br/>(2)b.png");
    EXPECT_EQ(render("%LH{Files:}|%LV{Files:}"), "Files: a.txt, b.png|Files:<br/>(1)a.txt<br/>(2)b.png");
}

TEST_F(AttachmentLists, NumbersCountPastNine) {
    for (int i = 1; i <= 12; ++i) attach("f" + std::to_string(i));
    const std::string list = buildAttachmentList(*session, true, "L");
    EXPECT_NE(list.find("<br/>(9)f9<br/>(10)f10<br/>(11)f11<br/>(12)f12"), std::string::npos) << list;
}

TEST_F(AttachmentLists, EmptyBracesUseTheInitialSpaceOrThePreviousLabel) {
    attach("a.txt");
    EXPECT_EQ(render("%LV{}"), " <br/>(1)a.txt");
    EXPECT_EQ(render("%LH{}"), "  a.txt");
    // The label carries over within a kind, not from %LH to %LV.
    EXPECT_EQ(render("%LH{In:}|%LH{}|%LV{}"), "In: a.txt|In: a.txt| <br/>(1)a.txt");
    EXPECT_EQ(render("%LH{Attached&nbsp;files:}"), "Attached files: a.txt");
}

TEST_F(AttachmentLists, NoAttachmentsGiveOneSpacePerOccurrence) {
    EXPECT_EQ(render("[%LH{Files:}][%LV{Files:}][%LH{}][%LV{x}]"), "[ ][ ][ ][ ]");
}

TEST_F(AttachmentLists, NamesAreNotEscapedButConverted) {
    attach("x<y>&z.txt");
    EXPECT_EQ(render("%LH{:}"), ": x<y>&z.txt");
    host().localCodePage = "GBK";
    host().message.charset = "UTF-8";
    session->attachments = {{"/tmp/", "\xE5\xBC\xA0.doc"}};
    EXPECT_EQ(render("%LH{\xE5\xBC\xA0}"), "\xD5\xC5 \xD5\xC5.doc");
}

class FreeHeaders : public TemplateFixture {};

TEST_F(FreeHeaders, ValueEscapedOrNothing) {
    setHeader("X-Priority", "3 <Normal>");
    EXPECT_EQ(render("[%h{X-Priority}][%h{X-Missing}]"), "[3 &lt;Normal&gt;][]");
    EXPECT_EQ(render("[%h{X-&nbsp;Priority}]"), "[3 &lt;Normal&gt;]");
}

TEST_F(FreeHeaders, MarkupPrefixAppearsOnlyWithAValue) {
    const std::string tpl = "[%h{\"&lt;b&gt;Cc:&lt;/b&gt; \"Cc}]";
    EXPECT_EQ(render(tpl), "[]");
    setHeader("Cc", "Bo <bo@example.org>");
    EXPECT_EQ(render(tpl), "[<b>Cc:</b> Bo &lt;bo@example.org&gt;]");
}

TEST_F(FreeHeaders, EmptyNamesAndUnclosedPrefixes) {
    setHeader("Cc", "c");
    EXPECT_EQ(render("[%h{}][%h{\"pre\"}]"), "[][]");
    // A prefix cannot hold a quote: the quotes become part of the name.
    EXPECT_EQ(render("[%h{\"a\"b\"Cc}]"), "[]");
    EXPECT_EQ(render("[%h{\"\"Cc}]"), "[c]");
}

TEST_F(FreeHeaders, AnAbsentHeaderAfterAPresentOneIsEmpty) {
    setHeader("Cc", "c@example.org");
    EXPECT_EQ(render("[%h{Cc}][%h{Bcc}]"), "[c@example.org][]");
}

TEST_F(FreeHeaders, ConvertedForTheCompositionCharset) {
    host().localCodePage = "GBK";
    host().message.charset = "UTF-8";
    setHeader("Organization", "\xE5\xBC\xA0");
    EXPECT_EQ(render("%h{\"\xE4\xB8\x89 \"Organization}"), "\xC8\xFD \xD5\xC5");
}

TEST_F(FreeHeaders, UnclosedPlaceholdersInTheListDoNotStopThePhase) {
    // Each "%h{" that no "}" follows once made the search scan to the end,
    // until the matcher gave up with an error and %h{Cc} stayed.
    setHeader("Cc", "cc@example.org");
    for (int i = 0; i < 5000; ++i) session->attachments.push_back({"/tmp/", "%h{" + std::to_string(i) + ".pdf"});
    EXPECT_EQ(render("%h{Cc} %LH{}"), "cc@example.org " + buildAttachmentList(*session, false, " "));
    EXPECT_TRUE(boxes.empty());
}
