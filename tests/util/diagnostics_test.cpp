// The debug text and the standard report of a failed host call.
#include "host_test.h"

#include "cvstvshare/util.h"

#include "hx_messages.h"

#include <string>

class Diagnostics : public HostTest {};

TEST_F(Diagnostics, DebugTextGoesToAnOpenListingWindowOnly)
{
    kt_debug_infor("value %d\n", 1);
    EXPECT_EQ(vexa::sim::listing_text(), "");
    vexa::sim::set_listing_open(true);
    kt_debug_infor("value %d", 2);
    kt_debug_infor("%s", std::string(1000, 'x').c_str());
    std::string text = vexa::sim::listing_text();
    EXPECT_EQ(text.substr(0, 7), "value 2") << "no line feed is added";
    EXPECT_EQ(text.size(), 7u + 399u) << "a long text is cut at 399 characters";
}

TEST_F(Diagnostics, ReportErrorShowsTheHostTextAndReturnsTheStatus)
{
    EXPECT_EQ(kt_report_error("clone.c", 12, "HX_CLONE_perform_clone(&failures)", 0), 0);
    EXPECT_TRUE(vexa::sim::journal().empty());

    EXPECT_EQ(kt_report_error("clone.c", 12, "HX_CLONE_perform_clone(&failures)", HX_ERR_NOT_FOUND),
              HX_ERR_NOT_FOUND);
    ASSERT_EQ(dialogs().size(), 1u);
    EXPECT_EQ(dialogs()[0], "Object or file not found\nerror 1103 at line 12 in clone.c\n"
                            "HX_CLONE_perform_clone(&failures)...");
    EXPECT_EQ(vexa::sim::journal()[0].severity, HX_DIALOG_ERROR);

    std::string long_call(400, 'c');
    kt_report_error("f.c", 1, long_call.c_str(), 5);
    EXPECT_EQ(dialogs()[1].size(), 255u + 3u) << "the message is cut at 255 characters before the dots";
}
