// The headless host's PDM database: a store file shared by processes, its
// transactions and number generator, and the clear refusal of a missing or
// damaged file.
#include "project_files.h"

#include "hx_memory.h"
#include "hx_pdm.h"
#include "vexahost/assemblies.h"
#include "vexahost/pdm.h"
#include "vexahost/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PdmStoreTest : public testing::Test {
  protected:
    void TearDown() override { vexa::sim::reset(); }
    cvstv_test::ScratchDir dir_;
};

} // namespace

TEST_F(PdmStoreTest, TwoProcessesNeverDrawTheSameNumber)
{
    std::string store = dir_.file("shared.pdm");
    vexa::sim::create_pdm_store(store);
    constexpr int draws = 1000;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int code = 0;
            try {
                vexa::sim::reset();
                vexa::sim::open_pdm_store(store);
                std::ofstream out(dir_.file("drawn" + std::to_string(c)));
                for (int i = 0; i < draws; ++i)
                    out << vexa::sim::draw_pdm_number() << '\n';
            } catch (...) {
                code = 1;
            }
            _exit(code);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> numbers;
    for (int c = 0; c < 2; ++c) {
        std::ifstream in(dir_.file("drawn" + std::to_string(c)));
        for (std::string line; std::getline(in, line);)
            numbers.insert(line);
    }
    EXPECT_EQ(numbers.size(), 2u * draws) << "2,000 draws, 2,000 distinct numbers";
    EXPECT_EQ(vexa::sim::draw_pdm_number(), "002001") << "this process sees the others' draws";
}

TEST_F(PdmStoreTest, AStoreKeepsWhatWasAddedAcrossSessions)
{
    std::string store = dir_.file("kept.pdm");
    vexa::sim::create_pdm_store(store);
    vexa::sim::set_pdm_user("user7");
    vexa::sim::add_pdm_folder("user7:tools:cavity");
    vexa::sim::add_pdm_item("P100", "Mould", {"A", "B"});
    vexa::sim::file_pdm_item("P100", "user7:tools:cavity");
    vexa::sim::set_pdm_setting("revision_separator", ".");
    EXPECT_THROW(vexa::sim::create_pdm_store(store), std::runtime_error) << "never over an existing store";

    vexa::sim::reset();
    vexa::sim::open_pdm_store(store);
    vexa::sim::set_pdm_active(true);
    EXPECT_EQ(vexa::sim::pdm_folder_of("P100"), "user7:tools:cavity");
    char revision[HX_PDM_REVISION_SIZE + 1];
    ASSERT_EQ(HX_KRMGR_ask_latest_revision("P100", revision), HX_OK);
    EXPECT_STREQ(revision, "B");
    char separator[HX_PDM_TYPE_SIZE + 1];
    ASSERT_EQ(HX_KRMGR_ask_revision_separator(separator), HX_OK);
    EXPECT_STREQ(separator, ".");

    // A refused change leaves the store as it was.
    EXPECT_THROW(vexa::sim::add_pdm_item("P/200", "Mould", {"A"}), std::runtime_error);
    EXPECT_THROW(vexa::sim::add_pdm_item("P200", "Mould", {"A", "B:1"}), std::runtime_error);
    char type[HX_PDM_TYPE_SIZE + 1];
    EXPECT_EQ(HX_KRMGR_ask_part_type("P200", type), HX_ERR_NOT_FOUND) << "no item half-added";
    EXPECT_THROW(vexa::sim::file_pdm_item("P100", "user7:nowhere"), std::runtime_error);
}

TEST_F(PdmStoreTest, MissingOrDamagedStoresAreRefusedClearly)
{
    try {
        vexa::sim::open_pdm_store(dir_.file("missing.pdm"));
        FAIL() << "a missing store opened";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("is not found"), std::string::npos) << e.what();
    }
    std::string damaged = dir_.file("damaged.pdm");
    std::ofstream(damaged) << "this is no database at all, just text";
    try {
        vexa::sim::open_pdm_store(damaged);
        FAIL() << "a damaged store opened";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("is not a PDM store"), std::string::npos) << e.what();
    }
    EXPECT_EQ(vexa::sim::pdm_store_path(), "") << "the session keeps its own store";

    // A real store cut short, as a crash during a copy would leave it.
    std::string whole = dir_.file("whole.pdm"), cut = dir_.file("cut.pdm");
    vexa::sim::create_pdm_store(whole);
    vexa::sim::add_pdm_item("P100", "Mould", {"A"});
    vexa::sim::reset();
    std::filesystem::copy_file(whole, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(whole) / 2);
    EXPECT_THROW(vexa::sim::open_pdm_store(cut), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(whole + ".new-" + std::to_string(getpid())))
        << "no temporary file is left beside a store";
}

TEST_F(PdmStoreTest, FoldersEncodedNamesAndRefusals)
{
    vexa::sim::set_pdm_active(true);
    vexa::sim::set_pdm_user("user7");
    vexa::sim::add_pdm_folder("user7:tools");
    vexa::sim::add_pdm_item("P100", "Mould", {"A"});
    vexa::sim::file_pdm_item("P100", "user7:tools");
    tag_t user = 0;
    ASSERT_EQ(HX_KRMGR_ask_user_folder("user7", &user), HX_OK);
    int count = 0;
    HX_KRMGR_entry_t *entries = nullptr;
    ASSERT_EQ(HX_KRMGR_ask_folder_contents(user, &count, &entries), HX_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(entries[0].type, HX_PDM_FOLDER_ENTRY);
    EXPECT_STREQ(entries[0].name, "tools");
    tag_t tools = entries[0].folder;
    HX_free(entries);
    ASSERT_EQ(HX_KRMGR_ask_folder_contents(tools, &count, &entries), HX_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(entries[0].type, HX_PDM_PART_ENTRY);
    EXPECT_STREQ(entries[0].name, "P100");
    HX_free(entries);
    EXPECT_EQ(HX_KRMGR_ask_folder_contents(12345, &count, &entries), HX_ERR_BAD_ARGUMENT);

    // Encoded names round-trip all four values and hold no '/'.
    char encoded[HX_MAX_FSPEC_SIZE + 1], cli[HX_MAX_FSPEC_SIZE + 1], back[HX_MAX_FSPEC_SIZE + 1];
    ASSERT_EQ(HX_KRMGR_encode_part_filename("P100", "A", "specification", "sheet1", encoded), HX_OK);
    EXPECT_EQ(std::string(encoded).find('/'), std::string::npos);
    ASSERT_EQ(HX_KRMGR_convert_name_to_cli(encoded, cli), HX_OK);
    EXPECT_STREQ(cli, "@DB/P100/A/specification/sheet1");
    ASSERT_EQ(HX_KRMGR_convert_cli_to_name(cli, back), HX_OK);
    EXPECT_STREQ(back, encoded);
    for (const char *bad : {"P:1", "P\"1", "P|1", "P/1"})
        EXPECT_EQ(HX_KRMGR_encode_part_filename(bad, "A", "master", "", encoded), HX_ERR_BAD_ARGUMENT) << bad;

    vexa::sim::set_pdm_active(false);
    EXPECT_EQ(HX_KRMGR_ask_folder_contents(tools, &count, &entries), HX_ERR_PDM);
}
