// PDM folders and part file names: encoding and command-line forms, the
// revisions, folder search with the remembered folder, prefixes, existence,
// and the plain-file answers without the PDM manager.
#include "project_test.h"

#include "cvstvshare/pdm_names.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"

#include "util/module_state.h"

#include "hx_assem.h"
#include "hx_clone.h"
#include "hx_memory.h"
#include "hx_parts.h"
#include "hx_pdm.h"
#include "vexahost/assemblies.h"
#include "vexahost/faults.h"
#include "vexahost/journal.h"
#include "vexahost/pdm.h"
#include "vexahost/preferences.h"

#include <filesystem>
#include <string>

namespace {

std::string take(char *text)
{
    std::string out = text ? text : "(null)";
    HX_free(text);
    return out;
}

} // namespace

class PdmNames : public ProjectTest {
  protected:
    // A PDM with user7's folders tools (holding P100) and tools:cavity
    // (holding P200), and P300 filed in the root.
    void with_pdm()
    {
        vexa::sim::set_pdm_active(true);
        vexa::sim::set_pdm_user("user7");
        vexa::sim::add_pdm_folder("user7:misc");
        vexa::sim::add_pdm_folder("user7:tools:cavity");
        vexa::sim::add_pdm_item("P100", "Mould", {"A", "B"}, project_.top());
        vexa::sim::add_pdm_item("P200", "Mould", {"A"});
        vexa::sim::add_pdm_item("P100_cavity", "Mould", {"A"});
        vexa::sim::file_pdm_item("P100", "user7:tools");
        vexa::sim::file_pdm_item("P200", "user7:tools:cavity");
    }
    std::string folder_of(const char *number, tag_t *tag = nullptr)
    {
        tag_t folder = 0;
        char *path = nullptr;
        last_status_ = kt_get_pdmx_folder(number, &folder, &path);
        if (tag)
            *tag = folder;
        return take(path);
    }
    int last_status_ = 0;
};

TEST_F(PdmNames, WithoutThePdmManagerNamesStayPlainFileNames)
{
    char buffer[KT_PDM_NAME_BUFFER_SIZE];
    EXPECT_EQ(CV_ask_max_part_no_size(), 128);
    ASSERT_EQ(CV_KRMGR_encode_part_file_name("/parts/P100.prt", "master", buffer), 0);
    EXPECT_STREQ(buffer, "/parts/P100.prt");
    EXPECT_EQ(kt_convert_part_number_to_cli("P100", buffer), -1);
    EXPECT_EQ(kt_convert_cli_to_part_number("@DB/P100/A", buffer), -1);
    EXPECT_FALSE(kt_ask_krmgr_decode_name("PDM|P100|A|master|", buffer));
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "master"), 0);
    EXPECT_EQ(CV_KRMGR_ask_default_container(), 0u);
    EXPECT_EQ(take(CV_KRMGR_ask_part_rev_prefix()), "/");
    EXPECT_EQ(take(CV_KRMGR_ask_default_part_type()), "(null)");
    EXPECT_EQ(folder_of("P100"), "Newstuff");
    char *revision = nullptr;
    EXPECT_EQ(CV_KRMGR_assign_revname("P100", "Item", &revision), 0);
    EXPECT_EQ(revision, nullptr);

    char *folder = nullptr, *name = nullptr;
    ASSERT_EQ(kt_get_file_name("/parts/P100_top.prt", &folder, &name), 0);
    EXPECT_EQ(take(folder), "/parts");
    EXPECT_EQ(take(name), "P100_top");
    ASSERT_EQ(kt_ask_prefix_name(top_, buffer), 0);
    EXPECT_STREQ(buffer, "P100_") << "the file name up to its last underscore";
}

TEST_F(PdmNames, NumbersRevisionsAndCommandLineNamesRoundTrip)
{
    with_pdm();
    char encoded[KT_PDM_NAME_BUFFER_SIZE], cli[KT_PDM_NAME_BUFFER_SIZE], number[KT_PDM_NAME_BUFFER_SIZE];
    ASSERT_EQ(kt_convert_part_number_to_cli("P100", cli), 0);
    EXPECT_STREQ(cli, "@DB/P100/B") << "the last revision listed";
    ASSERT_EQ(kt_convert_part_number_to_cli("P100/A", cli), 0);
    EXPECT_STREQ(cli, "@DB/P100/A");
    ASSERT_EQ(kt_convert_cli_to_part_number("@DB/P200/A", number), 0);
    EXPECT_STREQ(number, "P200");
    EXPECT_EQ(kt_convert_cli_to_part_number("P200/A", number), -1) << "not a command-line name";
    EXPECT_STREQ(number, "");

    ASSERT_EQ(kt_encode_part_file_name("P100", encoded), 0);
    EXPECT_EQ(std::string(encoded).find('/'), std::string::npos) << "an encoded name is never split at '/'";
    EXPECT_TRUE(kt_ask_krmgr_decode_name(encoded, number));
    EXPECT_STREQ(number, "P100");

    // Unknown numbers get the initial revision of their type, else A.
    char revision[KT_PDM_REVISION_BUFFER_SIZE];
    ASSERT_EQ(CV_KRMGE_ask_latest_revision("P999", revision), 0);
    EXPECT_STREQ(revision, "A");
    vexa::sim::add_pdm_item_type("Mould", "M1");
    vexa::sim::add_pdm_item("P400", "Mould", {});
    ASSERT_EQ(CV_KRMGE_ask_latest_revision("P400", revision), 0);
    EXPECT_STREQ(revision, "M1") << "the initial revision of the part's own type";

    // Over-long numbers and revisions, and names the PDM cannot hold.
    EXPECT_EQ(CV_ask_max_part_no_size(), 32);
    EXPECT_EQ(kt_encode_part_file_name(std::string(33, 'N').c_str(), encoded), -1);
    vexa::sim::set_pdm_setting("long_ids", "1");
    EXPECT_EQ(CV_ask_max_part_no_size(), 128);
    EXPECT_EQ(kt_encode_part_file_name((std::string(33, 'N') + "/A").c_str(), encoded), 0);
    EXPECT_EQ(kt_encode_part_file_name(std::string(129, 'N').c_str(), encoded), -1);
    EXPECT_EQ(CV_KRMGR_encode_part_file_name(std::string(65, 'N').c_str(), "", encoded), -1);
    EXPECT_EQ(CV_KRMGR_encode_part_file_name("P100/ABCDEFGHIJKLMNOP", "", encoded), -1) << "16 characters";
    EXPECT_EQ(CV_KRMGR_encode_part_file_name("P100/ABCDEFGHIJKLMNO", "", encoded), 0) << "15 characters";
    EXPECT_NE(kt_encode_part_file_name("P1:00/A", encoded), 0);
    EXPECT_NE(kt_encode_part_file_name("P\"100/A", encoded), 0);
    EXPECT_NE(kt_encode_part_file_name("P100/A/B", encoded), 0) << "a revision holding '/'";
    EXPECT_STREQ(encoded, "");
}

TEST_F(PdmNames, ExistenceAsksTheMasterOrTheSpecification)
{
    with_pdm();
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "master"), 1);
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100/A", ""), 1);
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100/Z", "master"), 0) << "unknown revision";
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P200", "master"), 0) << "an item without a master file";
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "manifestation"), 0);
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "specification"), 0);
    vexa::sim::add_pdm_file("P100", "B", "specification", "P100", project_.top());
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "specification"), 1);
    EXPECT_EQ(kt_is_part_in_pdmx_folder("anything", "P100"), 1);

    EXPECT_EQ(CVSTVSHARE_is_part_in_pdmx("P100"), 0);
    EXPECT_EQ(HX_PART_ask_part_tag("@DB/P100/B"), 0u) << "opened to check, closed again";
    EXPECT_EQ(CVSTVSHARE_is_part_in_pdmx("P200"), -1);
    EXPECT_EQ(CVSTVSHARE_is_part_in_pdmx("P999"), -1);

    vexa::sim::fail_call("HX_KRMGR_ask_object_exists", HX_ERR_PDM);
    EXPECT_EQ(CV_KRMGR_ask_part_exists("P100", "master"), 0) << "a failing PDM answers: not there";
}

TEST_F(PdmNames, TheFolderSearchFindsTheHolderAndRemembersNothingFound)
{
    with_pdm();
    tag_t tools = 0, cavity = 0;
    EXPECT_EQ(folder_of("P100", &tools), "user7:tools");
    EXPECT_NE(tools, 0u);
    EXPECT_EQ(folder_of("P200", &cavity), "user7:tools:cavity");
    tag_t tag = 0;
    ASSERT_EQ(kt_ask_folder_tag("user7:tools:cavity", &tag), 0);
    EXPECT_EQ(tag, cavity) << "the remembered folder";
    ASSERT_EQ(kt_ask_folder_tag("user7:tools", &tag), 0);
    EXPECT_EQ(tag, tools) << "walked down from the user's folder";
    ASSERT_EQ(kt_ask_folder_tag("user7:tools:nowhere:else", &tag), 0);
    EXPECT_EQ(tag, tools) << "the deepest folder reached";
    ASSERT_EQ(kt_ask_folder_tag("user7::tools", &tag), 0);
    EXPECT_EQ(tag, tools) << "empty pieces are skipped";
    EXPECT_EQ(kt_ask_folder_tag(":::", &tag), -1) << "a path without pieces";

    // Nothing found: Newstuff, remembered and answered without searching.
    EXPECT_EQ(folder_of("P999", &tag), "Newstuff");
    EXPECT_EQ(tag, 0u);
    int searches = vexa::sim::call_count("HX_KRMGR_ask_folder_contents");
    EXPECT_EQ(folder_of("P100", &tag), "Newstuff");
    EXPECT_EQ(vexa::sim::call_count("HX_KRMGR_ask_folder_contents"), searches);

    // The display part's number decodes only for a PDM part.
    cvstv_reset_module_state();
    EXPECT_EQ(folder_of(nullptr), "Newstuff");
    EXPECT_NE(last_status_, 0);

    // Method 0: the default container's path.
    vexa::sim::set_pdm_setting("default_container", "user7:misc");
    CVSTWSHARE_set_wizard_type(1);
    vexa::sim::set_int_preference("CV_PDMX_FIND_FOLDER", 0);
    ASSERT_EQ(CV_ask_find_pdmx_folder_method(), 0);
    EXPECT_EQ(folder_of("P100", &tag), "user7:misc");
    EXPECT_EQ(tag, CV_KRMGR_ask_default_container());
    ASSERT_EQ(kt_ask_folder_tag("user7:tools", &tag), 0);
    EXPECT_EQ(tag, CV_KRMGR_ask_default_container()) << "method 0 always answers the container";
}

TEST_F(PdmNames, DeepFolderTreesAndLongPathsAreBounded)
{
    with_pdm();
    std::string path = "user7";
    for (int i = 0; i < 300; ++i)
        path += ":d";
    vexa::sim::add_pdm_folder(path);
    vexa::sim::add_pdm_item("DEEP", "Mould", {"A"});
    vexa::sim::file_pdm_item("DEEP", path);
    EXPECT_EQ(folder_of("DEEP"), "Newstuff") << "the search stops at its depth bound";
    cvstv_reset_module_state();
    tag_t tag = 0;
    ASSERT_EQ(kt_ask_folder_tag(path.c_str(), &tag), 0);
    EXPECT_NE(tag, 0u) << "a path is walked as deep as it goes";
    std::string long_path(100000, ':');
    EXPECT_EQ(kt_ask_folder_tag(long_path.c_str(), &tag), -1);
}

TEST_F(PdmNames, ProjectNamesAndPrefixes)
{
    char folder[KT_PDM_NAME_BUFFER_SIZE], name[KT_PDM_NAME_BUFFER_SIZE];
    ASSERT_EQ(kt_ask_project_name_from_str("user7:tools:P100", folder, name), 0);
    EXPECT_STREQ(folder, "user7:tools");
    EXPECT_STREQ(name, "P100");
    ASSERT_EQ(kt_ask_project_name_from_str("P100", folder, name), 0);
    EXPECT_STREQ(folder, "");
    EXPECT_STREQ(name, "P100");

    with_pdm();
    tag_t part = 0;
    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_PART_open_quiet("@DB/P100/B", &part, &status), HX_OK);
    char prefix[KT_PDM_NAME_BUFFER_SIZE];
    ASSERT_EQ(kt_ask_prefix_name(part, prefix), 0);
    EXPECT_STREQ(prefix, "P100") << "a number without '_' is kept whole";
    ASSERT_EQ(HX_PART_set_display_part(part), HX_OK);
    ASSERT_EQ(kt_ask_project_name_from_str("", folder, name), 0);
    EXPECT_STREQ(folder, "user7:tools") << "the displayed part's project folder";
    EXPECT_STREQ(name, "P100");

    char *spec_folder = nullptr, *spec_name = nullptr;
    ASSERT_EQ(kt_get_file_name("PDM|P200|A|master|", &spec_folder, &spec_name), 0);
    EXPECT_EQ(take(spec_folder), "user7:tools:cavity");
    EXPECT_EQ(take(spec_name), "P200");
    EXPECT_NE(kt_get_file_name("@DB/P200/A", &spec_folder, &spec_name), 0) << "not an encoded name";
    EXPECT_EQ(take(spec_folder), "");
    EXPECT_EQ(take(spec_name), "");

    ASSERT_EQ(kt_create_prefix_name("CAV", prefix), 0);
    EXPECT_STREQ(prefix, "CAV000001_");
    ASSERT_EQ(kt_create_prefix_name(nullptr, prefix), 0);
    EXPECT_STREQ(prefix, "000002_");
    vexa::sim::fail_call("HX_KRMGR_assign_part_number", HX_ERR_PDM);
    EXPECT_EQ(kt_create_prefix_name("CAV", prefix), HX_ERR_PDM);
    EXPECT_STREQ(prefix, "");
}

TEST_F(PdmNames, SettingsTypesSeedsAndNewRevisions)
{
    with_pdm();
    vexa::sim::set_pdm_setting("revision_separator", ".");
    vexa::sim::set_pdm_default_part_type("Mould");
    vexa::sim::add_pdm_item_type("Mould", "A");
    vexa::sim::add_pdm_item_type("Internal", "A", false);
    vexa::sim::add_pdm_item_type("Tooling", "01");
    vexa::sim::add_pdm_seed_part("Mould", "seed_metric");
    vexa::sim::add_pdm_seed_part("Mould", "seed_english");
    EXPECT_EQ(take(CV_KRMGR_ask_part_rev_prefix()), ".");
    EXPECT_EQ(take(CV_KRMGR_ask_default_part_type()), "Mould");

    int count = 0;
    char **list = nullptr;
    ASSERT_EQ(CV_KRMGR_ask_item_types(&count, &list), 0);
    ASSERT_EQ(count, 2) << "only the types the user may create";
    EXPECT_STREQ(list[0], "Mould");
    EXPECT_STREQ(list[1], "Tooling");
    kt_free_str_list(&list);
    ASSERT_EQ(CV_KRMGR_ask_seed_parts("Mould", &count, &list), 0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(list[1], "seed_english");
    kt_free_str_list(&list);
    ASSERT_EQ(CV_KRMGR_ask_seed_parts(nullptr, &count, &list), 0);
    EXPECT_EQ(count, 0);

    char prefix[KT_PDM_NAME_BUFFER_SIZE];
    EXPECT_EQ(kt_create_prefix_name("B", prefix), 0) << "a prefix is drawn for the default part type";
    char drawn[HX_PDM_NUMBER_SIZE + 1];
    EXPECT_EQ(HX_KRMGR_assign_part_number("Internal", drawn), HX_ERR_NOT_FOUND)
        << "a type the user may not create";
    EXPECT_EQ(HX_KRMGR_assign_part_number("Tooling", drawn), HX_OK);

    char *revision = nullptr;
    ASSERT_EQ(CV_KRMGR_assign_revname("P100", "Mould", &revision), 0);
    EXPECT_EQ(take(revision), "C") << "after the last revision B";
    ASSERT_EQ(CV_KRMGR_assign_revname("P777", "Tooling", &revision), 0);
    EXPECT_EQ(take(revision), "01") << "a new number starts at its type's initial revision";
    vexa::sim::set_pdm_setting("new_revision_hook", "1");
    ASSERT_EQ(CV_KRMGR_assign_revname("P100", "Mould", &revision), 0);
    EXPECT_EQ(revision, nullptr) << "the hook names revisions: nothing produced";

    vexa::sim::fail_call("HX_KRMGR_ask_new_rev_name", HX_ERR_PDM);
    EXPECT_EQ(CV_KRMGR_assign_revname("P100", "Mould", &revision), HX_ERR_PDM);
    EXPECT_EQ(revision, nullptr);
    vexa::sim::fail_call("HX_KRMGR_ask_item_types", HX_ERR_PDM);
    EXPECT_EQ(CV_KRMGR_ask_item_types(&count, &list), HX_ERR_PDM);
    EXPECT_EQ(list, nullptr);
    vexa::sim::fail_call("HX_KRMGR_ask_latest_revision", HX_ERR_PDM);
    char latest[KT_PDM_REVISION_BUFFER_SIZE];
    EXPECT_EQ(CV_KRMGE_ask_latest_revision("P100", latest), HX_ERR_PDM);
    EXPECT_STREQ(latest, "");
}

class PdmNumberedCopies : public PdmNames {
  protected:
    void SetUp() override
    {
        PdmNames::SetUp();
        with_pdm();
        vexa::sim::add_pdm_item("SEED1", "Mould", {"A"}, project_.file("screw_M8.prt"));
        vexa::sim::add_pdm_item_type("Mould", "01");
        HX_PART_load_status_t status{};
        ASSERT_EQ(HX_PART_open_quiet("@DB/P100/B", &pdm_top_, &status), HX_OK);
        ASSERT_EQ(HX_PART_set_display_part(pdm_top_), HX_OK);
    }
    static std::string name_of(tag_t part)
    {
        char name[HX_MAX_FSPEC_SIZE + 1] = "";
        HX_PART_ask_part_name(part, name);
        return name;
    }
    tag_t pdm_top_ = 0;
};

TEST_F(PdmNumberedCopies, ACopyIsANewItemInTheFolderAndTakesACounterWhenTaken)
{
    tag_t part = 0;
    KT_load_status_t status{};
    ASSERT_EQ(hx_kt_part_open("SEED1", "user7:tools", "P100_", false, &part, &status), 0);
    EXPECT_EQ(name_of(part), "PDM|P100_SEED1|01|master|") << "at the type's initial revision";
    EXPECT_EQ(vexa::sim::pdm_folder_of("P100_SEED1"), "user7:tools");
    EXPECT_TRUE(std::filesystem::exists(project_.file("P100_SEED1.prt")));
    kt_free_load_status(&status);

    ASSERT_EQ(hx_kt_part_open("SEED1", "user7:tools", "P100_", false, &part, &status), 0);
    EXPECT_EQ(name_of(part), "PDM|P100_0SEED1|01|master|") << "the prefix takes a counter";

    // Opening the source first, by its name cut at the first '.'.
    ASSERT_EQ(hx_kt_part_open("/seeds/SEED1.prt", "tools", "K_", true, &part, &status), 0);
    EXPECT_EQ(name_of(part), "PDM|K_SEED1|01|master|");
    EXPECT_EQ(vexa::sim::pdm_folder_of("K_SEED1"), "user7:tools") << "the user id is put before the folder";
    EXPECT_EQ(hx_kt_part_open("/seeds/NOSEED.prt", "tools", "K_", true, &part, &status), HX_ERR_NOT_FOUND);
    EXPECT_EQ(part, 0u);
    kt_free_load_status(&status);
}

TEST_F(PdmNumberedCopies, FailingClonesAreRetriedABoundedNumberOfTimes)
{
    vexa::sim::fail_call("HX_CLONE_perform", HX_ERR_PDM);
    tag_t part = 0;
    KT_load_status_t status{};
    EXPECT_EQ(hx_kt_part_open("SEED1", "user7:tools", "P100_", false, &part, &status), HX_ERR_PDM);
    EXPECT_EQ(vexa::sim::call_count("HX_CLONE_perform"), KT_NUMBERED_COPY_ATTEMPTS);
    EXPECT_EQ(part, 0u);
    EXPECT_EQ(HX_CLONE_initialise(HX_CLONE_IMPORT_OPERATION), HX_OK) << "every operation was ended";
    HX_CLONE_terminate();
    vexa::sim::clear_call_failure("HX_CLONE_perform");

    // A number the PDM holds already is never copied over: the next counter.
    vexa::sim::add_pdm_item("X_SEED1", "Mould", {"A"});
    ASSERT_EQ(hx_kt_part_open("SEED1", "", "X_", false, &part, &status), 0);
    EXPECT_EQ(name_of(part), "PDM|X_0SEED1|01|master|");
    kt_free_load_status(&status);
    EXPECT_EQ(hx_kt_part_open("SEED1", "", "Y/", false, &part, &status), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(hx_kt_part_open(nullptr, "", "Y_", false, &part, &status), -1);
}

TEST_F(PdmNumberedCopies, AddingToAnAssemblyRetriesWithoutTheReferenceSet)
{
    tag_t work = HX_ASSEM_ask_work_part();
    const double origin[3] = {10, 0, 0}, matrix[6] = {1, 0, 0, 0, 1, 0};
    tag_t instance = 0;
    ASSERT_EQ(kt_open_and_add_to_assembly("SEED1", pdm_top_, "CAV", "FALSE", origin, matrix, &instance), 0);
    ASSERT_NE(instance, 0u);
    char refset[HX_OBJ_NAME_SIZE + 1] = "";
    ASSERT_EQ(HX_ASSEM_ask_refset_name(instance, refset), HX_OK);
    EXPECT_STREQ(refset, "FALSE");
    tag_t folder = 0;
    ASSERT_EQ(HX_KRMGR_ask_default_folder(&folder), HX_OK);
    EXPECT_NE(folder, 0u) << "the project folder became the default PDM folder";
    EXPECT_EQ(vexa::sim::pdm_folder_of("P100CAV_SEED1"), "user7:tools");

    ASSERT_EQ(kt_open_and_add_to_assembly("SEED1", pdm_top_, "", "NO_SUCH_SET", origin, matrix, &instance),
              0);
    ASSERT_EQ(HX_ASSEM_ask_refset_name(instance, refset), HX_OK);
    EXPECT_STREQ(refset, HX_REFSET_NONE) << "added again without a reference set";
    EXPECT_EQ(HX_ASSEM_ask_work_part(), work);
    EXPECT_EQ(HX_PART_ask_display_part(), pdm_top_);

    EXPECT_EQ(kt_open_and_add_to_assembly("NOSEED", pdm_top_, "", "", origin, matrix, &instance),
              HX_ERR_NOT_FOUND);
    vexa::sim::set_pdm_active(false);
    EXPECT_EQ(kt_open_and_add_to_assembly("SEED1", pdm_top_, "", "", origin, matrix, &instance), 0);
    EXPECT_EQ(instance, 0u) << "nothing is added without the PDM manager";
}

TEST_F(PdmNames, WithoutThePdmManagerACopyIsAFileBesideItsSource)
{
    tag_t part = 0;
    KT_load_status_t status{};
    ASSERT_EQ(hx_kt_part_open(project_.file("screw_M8.prt").c_str(), "", "X_", false, &part, &status), 0);
    char name[HX_MAX_FSPEC_SIZE + 1] = "";
    HX_PART_ask_part_name(part, name);
    EXPECT_EQ(std::string(name), project_.file("X_screw_M8.prt"));
    kt_free_load_status(&status);
}

// Every PDM call failing in turn, and the allocator refusing: each function
// answers its documented failure, hands out nothing half-made and leaks
// nothing (the fixture counts the host's live blocks).
TEST_F(PdmNumberedCopies, FailingPdmCallsAndMemoryLeaveNothingBehind)
{
    const char *calls[] = {"HX_is_krmanager_active",        "HX_KRMGR_encode_part_filename",
                           "HX_KRMGR_decode_part_filename", "HX_KRMGR_convert_name_to_cli",
                           "HX_KRMGR_convert_cli_to_name",  "HX_KRMGR_ask_latest_revision",
                           "HX_KRMGR_ask_item_types",       "HX_KRMGR_ask_seed_parts",
                           "HX_KRMGR_ask_folder_contents",  "HX_KRMGR_ask_user_folder",
                           "HX_KRMGR_ask_root_folder",      "HX_KRMGR_ask_folder_path",
                           "HX_KRMGR_assign_part_number",   "HX_CLONE_add_part",
                           "HX_CLONE_initialise",           "HX_PART_open_quiet"};
    const double origin[3] = {0, 0, 0}, matrix[6] = {1, 0, 0, 0, 1, 0};
    auto exercise = [&] {
        char buffer[KT_PDM_NAME_BUFFER_SIZE], other[KT_PDM_NAME_BUFFER_SIZE];
        kt_encode_part_file_name("P100", buffer);
        kt_convert_part_number_to_cli("P100", buffer);
        kt_convert_cli_to_part_number("@DB/P100/B", buffer);
        int count = 0;
        char **list = nullptr;
        if (CV_KRMGR_ask_item_types(&count, &list) != 0) {
            EXPECT_EQ(list, nullptr);
        }
        kt_free_str_list(&list);
        if (CV_KRMGR_ask_seed_parts("Mould", &count, &list) != 0) {
            EXPECT_EQ(list, nullptr);
        }
        kt_free_str_list(&list);
        cvstv_reset_module_state();
        tag_t folder = 0;
        char *path = nullptr;
        kt_get_pdmx_folder("P200", &folder, &path);
        HX_free(path);
        kt_ask_folder_tag("user7:tools", &folder);
        kt_ask_project_name_from_str("", buffer, other);
        kt_create_prefix_name("B", buffer);
        HX_free(CV_KRMGR_ask_part_rev_prefix());
        HX_free(CV_KRMGR_ask_default_part_type());
        tag_t part = 0, instance = 0;
        KT_load_status_t status{};
        hx_kt_part_open("SEED1", "user7:tools", "F_", false, &part, &status);
        kt_free_load_status(&status);
        kt_open_and_add_to_assembly("SEED1", pdm_top_, "G", "FALSE", origin, matrix, &instance);
        CVSTVSHARE_is_part_in_pdmx("P100");
        EXPECT_EQ(HX_PART_ask_display_part(), pdm_top_) << "the displayed part comes back";
    };
    for (const char *call : calls) {
        vexa::sim::fail_call(call, HX_ERR_PDM);
        exercise();
        vexa::sim::clear_call_failure(call);
        EXPECT_EQ(HX_CLONE_initialise(HX_CLONE_IMPORT_OPERATION), HX_OK) << call << ": a clone left running";
        HX_CLONE_terminate();
    }
    for (long after = 0; after < 40; ++after) {
        vexa::sim::fail_allocations_after(after);
        exercise();
        vexa::sim::fail_allocations_after(-1);
    }
}
