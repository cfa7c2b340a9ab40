// The check before a command: when it refuses (and ends the use of the host
// interface it opened) and when it lets the command run (leaving the use
// open), the drawing display state of the work part, the link parents, and
// the project directory made the default directory of part files.
#include "cvstvshare/startup.h"

#include "host_test.h"
#include "hx_common.h"
#include "hx_parts.h"
#include "hx_session.h"

#include <string>

namespace {

const char *const no_part = "No active part";
const char *const wrong_module = "To use this command, change application to Lobbin.";

class CommandPrecheck : public HostTest {
  protected:
    static std::string default_directory()
    {
        char directory[HX_MAX_FSPEC_SIZE + 1] = "";
        EXPECT_EQ(HX_PART_ask_default_directory(directory), 0);
        return directory;
    }
};

TEST_F(CommandPrecheck, WithoutWorkPartRunsOnlyWhenNoneIsRequired)
{
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 0), 0);
    EXPECT_TRUE(message_boxes().empty());
    EXPECT_EQ(vexa::sim::interface_uses(), 1) << "left open for the command";

    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{no_part});
    ASSERT_EQ(vexa::sim::journal().back().severity, 1);
    EXPECT_EQ(vexa::sim::interface_uses(), 1) << "the refused call ends only its own use";
}

TEST_F(CommandPrecheck, RefusesOutsideModellingAndAssemblies)
{
    vexa::sim::create_part("C:\\proj\\top.prt");
    for (int module : {static_cast<int>(HX_APP_MODELING), static_cast<int>(HX_APP_ASSEMBLIES)}) {
        vexa::sim::set_application_module(module);
        EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0) << module;
    }
    EXPECT_EQ(vexa::sim::interface_uses(), 2);
    for (int module : {static_cast<int>(HX_APP_DRAFTING), 0, 47, 49}) {
        vexa::sim::clear_journal();
        vexa::sim::set_application_module(module);
        EXPECT_EQ(CVSTVSHARE_init_all_module(1, 0), -1) << module;
        EXPECT_EQ(message_boxes(), std::vector<std::string>{wrong_module}) << module;
    }
    EXPECT_EQ(vexa::sim::interface_uses(), 2);
}

TEST_F(CommandPrecheck, HostFailuresRefuseSilently)
{
    vexa::sim::create_part("C:\\proj\\top.prt");
    vexa::sim::fail_call("HX_initialize", HX_ERR_INTERNAL, 0, 1);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), -1);
    EXPECT_EQ(vexa::sim::interface_uses(), 0);

    vexa::sim::fail_call("HX_ask_application_module", HX_ERR_INTERNAL, 0, 1);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), -1);
    EXPECT_EQ(vexa::sim::interface_uses(), 0);
    EXPECT_TRUE(message_boxes().empty());
    EXPECT_EQ(vexa::sim::call_count("HX_PART_set_default_directory"), 0);
}

TEST_F(CommandPrecheck, ShowsTheDisplayedWorkPartsModel)
{
    tag_t top = vexa::sim::create_part("C:\\proj\\top.prt");
    vexa::sim::set_drawing_display_state(top, HX_DRAW_SHEET_VIEW);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(vexa::sim::drawing_display_state(top), HX_DRAW_MODEL_VIEW);

    // A work part other than the displayed part: the display is left alone.
    tag_t other = vexa::sim::create_part("C:\\proj\\other.prt");
    vexa::sim::set_work_part(other);
    vexa::sim::set_drawing_display_state(top, HX_DRAW_SHEET_VIEW);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(vexa::sim::drawing_display_state(top), HX_DRAW_SHEET_VIEW);

    // An unreadable state is not set, and the command still runs.
    vexa::sim::set_work_part(top);
    vexa::sim::fail_call("HX_DRAW_ask_display_state", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_DRAW_set_display_state"), 1);
}

TEST_F(CommandPrecheck, LoadsLinkParentsWhenTheSiteAsks)
{
    vexa::sim::create_part("C:\\proj\\top.prt");
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_ZOLT_load_parents"), 0);
    vexa::sim::set_logical_preference("CV_Load_ZOLT_Data", true);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_ZOLT_load_parents"), 1);
}

TEST_F(CommandPrecheck, ProjectTopPartDirectoryBecomesTheDefault)
{
    tag_t shown = vexa::sim::create_part("C:\\work\\shown.prt");
    tag_t mould = vexa::sim::create_part("D:\\moulds\\P100\\p100_top.prt");
    tag_t die = vexa::sim::create_part("E:\\dies\\S7\\s7_top.prt");
    tag_t stamping = vexa::sim::create_part("F:\\stamping\\A1\\a1_top.prt");
    vexa::sim::set_string_attribute(mould, "KT_TOP", "P100");
    vexa::sim::set_string_attribute(die, "STV_PROJECT", "S7");
    vexa::sim::set_string_attribute(stamping, "STAMPING_PROJECT", "A1");
    ASSERT_EQ(vexa::sim::display_part(), shown);

    const std::pair<int, const char *> expected[] = {{1, "D:\\moulds\\P100"},
                                                     {2, "E:\\dies\\S7"},
                                                     {3, "F:\\stamping\\A1"},
                                                     {4, "D:\\moulds\\P100"},
                                                     {7, "D:\\moulds\\P100"}};
    for (auto [wizard, directory] : expected) {
        EXPECT_EQ(CVSTVSHARE_init_all_module(wizard, 1), 0);
        EXPECT_EQ(default_directory(), directory) << "wizard type " << wizard;
    }
}

TEST_F(CommandPrecheck, DisplayedPartDirectoryWithoutAProjectPart)
{
    vexa::sim::create_part("C:\\work\\shown.prt");
    vexa::sim::set_string_attribute(vexa::sim::create_part("D:\\moulds\\top.prt"), "KT_TOP", "P1");
    EXPECT_EQ(CVSTVSHARE_init_all_module(2, 1), 0);
    EXPECT_EQ(default_directory(), "C:\\work");
}

TEST_F(CommandPrecheck, PdmManagerKeepsTheDefaultDirectory)
{
    vexa::sim::create_part("C:\\work\\shown.prt");
    ASSERT_EQ(HX_PART_set_default_directory("C:\\before"), 0);
    vexa::sim::set_pdm_active(true);
    EXPECT_EQ(CVSTVSHARE_init_all_module(1, 1), 0);
    EXPECT_EQ(default_directory(), "C:\\before");
    EXPECT_EQ(vexa::sim::interface_uses(), 1);
}

} // namespace
