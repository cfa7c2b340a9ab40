// Opening a workbook for editing: the host's editor on an XESS system; on a
// system with the separate spreadsheet program, the workbook made from the
// template of the wizard type when it is missing, the program started with
// the workbook as its one argument (waited for or not by the site's
// default), and every refusal with its message and nothing started.
#include "cvstvshare/sheet_loading.h"

#include "hx_common.h"
#include "hx_spreadsheet.h"
#include "kit_test.h"
#include "spawn_probe.h"

#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace {

const char *const office = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office";
const char *const program = "C:\\Program Files\\Office\\excel.exe";
const char *const copy_failed = "Cannot copy the template file into the database directory.\n"
                                "Check if you have write permission to the directory.";

std::string read(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class WorkbookEdit : public KitTest {
  protected:
    void SetUp() override
    {
        KitTest::SetUp();
        vexa::sim::set_default_spreadsheet_excel(true);
        vexa::sim::set_registry_value(office, "BinDirPath", "C:\\Program Files\\Office\\");
        probe_out = scratch() / "probe.out";
        vexa::sim::set_program("excel.exe", {SPAWN_PROBE, probe_out.string()});
    }
    void TearDown() override
    {
        vexa::sim::wait_for_programs();
        KitTest::TearDown();
    }
    std::vector<std::string> probe_arguments()
    {
        vexa::sim::wait_for_programs();
        return read_probe_arguments(probe_out);
    }
    static std::vector<vexa::sim::JournalEntry> spawns()
    {
        std::vector<vexa::sim::JournalEntry> found;
        for (const auto &e : vexa::sim::journal())
            if (e.kind == vexa::sim::Entry::spawn)
                found.push_back(e);
        return found;
    }
    fs::path probe_out;
};

TEST_F(WorkbookEdit, XessSystemHandsThePathWithoutSheetToTheEditor)
{
    vexa::sim::set_default_spreadsheet_excel(false);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, "C:\\kit\\cap_screw.xs4::Steel"), 0);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(2, "C:\\kit\\settings.xls"), 0);
    EXPECT_EQ(vexa::sim::edited_workbooks(),
              (std::vector<std::string>{"C:\\kit\\cap_screw.xs4", "C:\\kit\\settings.xls"}));
    EXPECT_TRUE(spawns().empty());
    vexa::sim::fail_call("HX_sheet_edit", HX_ERR_IO);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, "C:\\kit\\book.xs4"), HX_ERR_IO) << "a refusing editor is no success";
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, nullptr), -1);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, "::Steel"), -1);
}

TEST_F(WorkbookEdit, MissingWorkbookStartsAsTheTemplateOfItsWizardType)
{
    const std::pair<int, fs::path> templates[] = {
        {1, built_kit / "cavora" / "templates" / "cavora_template.xls"},
        {2, built_kit / "strivo" / "templates" / "stv_template.xls"},
        {3, built_kit / "krautomotive" / "presdes" / "templates" / "pressa_template.xls"},
        {4, built_kit / "fulgo" / "templates" / "cavora_template.xls"}};
    for (const auto &[wizard, source] : templates) {
        ASSERT_TRUE(fs::exists(source)) << source;
        fs::path book = scratch() / ("book" + std::to_string(wizard) + ".xls");
        std::string asked = host_form(scratch() / ("book" + std::to_string(wizard) + ".xs4")) + "::Sheet1";
        EXPECT_EQ(CVSTVSHARE_sheet_edit(wizard, asked.c_str()), 0) << wizard;
        EXPECT_TRUE(read(book) == read(source)) << "a copy of " << source;
        EXPECT_EQ(probe_arguments(), std::vector<std::string>{book.string()}) << wizard;
        ASSERT_FALSE(spawns().empty());
        EXPECT_EQ(spawns().back().text, program);
        EXPECT_EQ(spawns().back().arguments, std::vector<std::string>{host_form(book)});
    }
    EXPECT_TRUE(message_boxes().empty());
}

TEST_F(WorkbookEdit, ExistingWorkbookIsOpenedAsItIs)
{
    fs::path book = write("catalogue.xls", "the user's own data");
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), 0);
    EXPECT_EQ(read(book), "the user's own data");
    EXPECT_EQ(probe_arguments(), std::vector<std::string>{book.string()});
}

TEST_F(WorkbookEdit, SiteDefaultDecidesWhetherTheCallWaits)
{
    fs::path book = write("catalogue.xls", "data");
    // Unset: started, not waited for.
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), 0);
    ASSERT_EQ(spawns().size(), 1u);
    EXPECT_EQ(spawns().back().severity, 0);

    vexa::sim::set_int_preference("CV_ExcelBackground", 0);
    fs::remove(probe_out);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), 0);
    ASSERT_EQ(spawns().size(), 2u);
    EXPECT_EQ(spawns().back().severity, 1);
    EXPECT_TRUE(fs::exists(probe_out)) << "the program has ended when the call returns";

    vexa::sim::set_int_preference("CV_ExcelBackground", 3);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), 0);
    EXPECT_EQ(spawns().back().severity, 0);
}

TEST_F(WorkbookEdit, HostilePathIsOneArgumentAndNeverRun)
{
    fs::path odd_dir = scratch() / "a b;$(touch x)";
    fs::create_directories(odd_dir);
    fs::path book = odd_dir / "c \"'`id`.xls";
    fs::path before = fs::current_path();
    fs::current_path(scratch());
    int status = CVSTVSHARE_sheet_edit(1, book.string().c_str());
    vexa::sim::set_int_preference("CV_ExcelBackground", 0);
    int waited = CVSTVSHARE_sheet_edit(1, book.string().c_str());
    fs::current_path(before);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(waited, 0);
    EXPECT_TRUE(fs::exists(book)) << "made from the template under its odd name";
    EXPECT_EQ(probe_arguments(), std::vector<std::string>{book.string()});
    EXPECT_FALSE(fs::exists(scratch() / "x"));
    EXPECT_FALSE(fs::exists(odd_dir / "x"));
}

TEST_F(WorkbookEdit, DoubledSeparatorAfterADriveIsMadeSingle)
{
    fs::path before = fs::current_path();
    fs::create_directories(scratch() / "C:" / "dir");
    fs::current_path(scratch());
    int status = CVSTVSHARE_sheet_edit(1, "C:\\\\dir\\book.xls");
    fs::current_path(before);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::exists(scratch() / "C:" / "dir" / "book.xls"));
    ASSERT_EQ(spawns().size(), 1u);
    EXPECT_EQ(spawns().back().arguments, std::vector<std::string>{"C:\\dir\\book.xls"});
}

TEST_F(WorkbookEdit, RefusalsStartNothing)
{
    fs::path book = scratch() / "new.xls";
    // No spreadsheet program in the registry.
    vexa::sim::clear_registry();
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), -1);
    EXPECT_EQ(dialogs(), std::vector<std::string>{"Failed to find Microsoft Excel"});
    EXPECT_FALSE(fs::exists(book));

    // The second and third registry places are asked too.
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Office",
                                  "Excel\\InstallRoot\\path", "D:\\Office32");
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), 0);
    ASSERT_EQ(spawns().size(), 1u);
    EXPECT_EQ(spawns().back().text, "D:\\Office32\\excel.exe");

    // A workbook that cannot be made from the template.
    fs::path unreachable = scratch() / "no_such_dir" / "new.xls";
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(unreachable).c_str()), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{copy_failed});
    EXPECT_EQ(vexa::sim::journal().back().severity, 1);
    EXPECT_EQ(spawns().size(), 1u);

    // A kit without the template.
    vexa::sim::unset_env("CAVORA_DIR");
    vexa::sim::clear_journal();
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(scratch() / "other.xls").c_str()), -1);
    EXPECT_TRUE(spawns().empty());
    EXPECT_FALSE(fs::exists(scratch() / "other.xls"));
}

TEST_F(WorkbookEdit, FullDiskLeavesNoHalfCopiedWorkbook)
{
    fs::path book = scratch() / "full.xls";
    // No file of this process may grow beyond 512 bytes while the template
    // is copied: the write fails as on a full disk, root included.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 512;
    setrlimit(RLIMIT_FSIZE, &small);
    int status = CVSTVSHARE_sheet_edit(1, host_form(book).c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{copy_failed});
    EXPECT_TRUE(spawns().empty());
    std::vector<fs::path> left;
    for (const auto &e : fs::directory_iterator(scratch()))
        left.push_back(e.path().filename());
    EXPECT_TRUE(left.empty()) << "neither the workbook nor a temporary file: " << left.size();
}

TEST_F(WorkbookEdit, SpawningFailureIsRecordedAndReturnedWithTheWorkbookKept)
{
    fs::path book = scratch() / "kept.xls";
    vexa::sim::clear_programs();
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), HX_ERR_NOT_FOUND);
    EXPECT_TRUE(fs::exists(book));
    auto log = vexa::sim::texts(vexa::sim::Entry::syslog);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().rfind("cvstvshare_kt_misc, line 280: error 1103: ", 0), 0u) << log.back();

    vexa::sim::set_int_preference("CV_ExcelBackground", 0);
    vexa::sim::fail_call("Orvel::SpawnProgram", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_sheet_edit(1, host_form(book).c_str()), HX_ERR_INTERNAL)
        << "a program that never ran is not reported as edited";
}

} // namespace
