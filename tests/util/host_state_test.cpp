// The scope guards over host state and the PDM name encoding that the part
// functions share.
#include "project_test.h"

#include "util/host_state.h"
#include "util/part_query.h"

#include "hx_assem.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <string>

class HostStateGuards : public ProjectTest {
  protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        core_ = part("P100_core");
    }
    tag_t core_ = 0;
};

TEST_F(HostStateGuards, WorkAndDisplayedPartComeBackOnEveryPath)
{
    tag_t layout_occ = vexa::sim::occurrence_children(vexa::sim::root_occurrence(top_))[0];
    ASSERT_EQ(HX_ASSEM_set_work_occurrence(layout_occ), HX_OK);
    {
        cvstv::HostState saved(cvstv::HostState::work_part | cvstv::HostState::display);
        EXPECT_EQ(saved.saved_work_occurrence(), layout_occ);
        ASSERT_EQ(HX_PART_set_display_part(core_), HX_OK);
        EXPECT_EQ(HX_ASSEM_ask_work_part(), core_);
    }
    EXPECT_EQ(HX_PART_ask_display_part(), top_);
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), layout_occ) << "the work occurrence, not just its part";
    int on = 0;
    HX_DISP_ask_display(&on);
    EXPECT_EQ(on, 1) << "the display is switched on again";

    cvstv::HostState saved(cvstv::HostState::work_part);
    HX_ASSEM_set_work_part(core_);
    vexa::sim::fail_call("HX_ASSEM_set_work_occurrence", 1);
    vexa::sim::fail_call("HX_ASSEM_set_work_part", HX_ERR_INTERNAL);
    EXPECT_EQ(saved.restore(), HX_ERR_INTERNAL) << "the first failing step's status";
    vexa::sim::clear_call_failures();
    EXPECT_EQ(saved.restore(), 0) << "a guard restores once";
    EXPECT_EQ(HX_ASSEM_ask_work_part(), core_);
}

TEST_F(HostStateGuards, OptionsComeBackAndUndoMarksGo)
{
    ASSY_assy_options_t options{};
    ASSY_ask_assy_options(&options);
    int mark = 0;
    {
        cvstv::HostState saved(cvstv::HostState::load_options | cvstv::HostState::update_fail_option);
        ASSY_assy_options_t changed = options;
        changed.option[ASSY_OPTION_LOAD_PARTIALLY] = 1;
        ASSERT_EQ(ASSY_set_assy_options(&changed), HX_OK);
        ASSERT_EQ(HX_MODL_set_update_fail_option(HX_UPDATE_FAIL_SUPPRESS), HX_OK);
        cvstv::UndoMark undo(HX_UNDO_VISIBLE, "guarded");
        mark = undo.id();
        EXPECT_NE(mark, 0);
    }
    ASSY_assy_options_t now{};
    ASSY_ask_assy_options(&now);
    EXPECT_EQ(now.option[ASSY_OPTION_LOAD_PARTIALLY], 0);
    int option = -1;
    HX_MODL_ask_update_fail_option(&option);
    EXPECT_EQ(option, 0);
    EXPECT_EQ(HX_UNDO_undo_to_mark(mark), HX_ERR_NOT_FOUND) << "the mark is deleted with its guard";

    vexa::sim::fail_call("HX_UNDO_set_mark", HX_ERR_NO_MEMORY);
    cvstv::UndoMark refused(HX_UNDO_INVISIBLE, nullptr);
    EXPECT_EQ(refused.id(), 0);
    EXPECT_EQ(refused.status(), HX_ERR_NO_MEMORY);
}

TEST_F(HostStateGuards, PartNumbersAreEncodedAtAKnownOrAnInitialRevision)
{
    char encoded[cvstv::part_name_size + 1];
    ASSERT_EQ(kt_encode_part_file_name("P100", encoded), 0);
    EXPECT_STREQ(encoded, "P100") << "without the PDM manager: a copy";

    vexa::sim::set_pdm_active(true);
    char cli[HX_MAX_FSPEC_SIZE + 1];
    auto cli_of = [&](const char *name) {
        EXPECT_EQ(kt_encode_part_file_name(name, encoded), 0) << name;
        HX_KRMGR_convert_name_to_cli(encoded, cli);
        return std::string(cli);
    };
    EXPECT_EQ(cli_of("P100/B"), "@DB/P100/B") << "a revision given is used without asking";
    vexa::sim::add_pdm_item("P200", "Mould", {"A", "B", "C"});
    EXPECT_EQ(cli_of("P200"), "@DB/P200/C") << "the last revision listed";
    EXPECT_EQ(cli_of("P300"), "@DB/P300/A") << "no revision known, none assigned: A";
    vexa::sim::set_pdm_initial_revision("Item", "01");
    EXPECT_EQ(cli_of("P300"), "@DB/P300/01") << "the initial revision of Item";
    vexa::sim::set_pdm_default_part_type("Tooling");
    vexa::sim::set_pdm_initial_revision("Tooling", "T1");
    EXPECT_EQ(cli_of("P300"), "@DB/P300/T1") << "of the default part type";

    vexa::sim::fail_call("HX_KRMGR_ask_latest_revision", HX_ERR_PDM);
    EXPECT_EQ(kt_encode_part_file_name("P200", encoded), HX_ERR_PDM);
    EXPECT_STREQ(encoded, "") << "a failed listing leaves the result empty";
}
