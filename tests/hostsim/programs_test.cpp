// The headless host's session calls of a command's start (uses of the
// interface, application module, drawing display), its file copy, its
// spreadsheet editor and its program-spawning service: an argument vector
// reaches the program unread by any command processor, a program the host
// cannot run raises, and a file copy never replaces or half-writes a file.
#include "host_test.h"
#include "spawn_probe.h"
#include "hx_cxx.h"
#include "hx_files.h"
#include "hx_session.h"
#include "hx_spreadsheet.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class HostPrograms : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        dir = fs::temp_directory_path() / ("hostsim_programs_" + std::to_string(::getpid()) + "_" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        vexa::sim::wait_for_programs();
        fs::remove_all(dir);
        HostTest::TearDown();
    }
    static std::string read(const fs::path &p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> probe_arguments(const fs::path &out) { return read_probe_arguments(out); }
    fs::path dir;
};

TEST_F(HostPrograms, InterfaceUsesNestAndAnUnopenedEndIsRefused)
{
    EXPECT_EQ(HX_terminate(), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_initialize(), 0);
    EXPECT_EQ(HX_initialize(), 0);
    EXPECT_EQ(vexa::sim::interface_uses(), 2);
    EXPECT_EQ(HX_terminate(), 0);
    EXPECT_EQ(HX_terminate(), 0);
    EXPECT_EQ(HX_terminate(), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexa::sim::interface_uses(), 0);
}

TEST_F(HostPrograms, DrawingDisplayBelongsToTheDisplayedPart)
{
    int state = 0;
    EXPECT_EQ(HX_DRAW_ask_display_state(&state), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_DRAW_set_display_state(HX_DRAW_MODEL_VIEW), HX_ERR_NOT_FOUND);
    tag_t a = vexa::sim::create_part("C:\\a.prt");
    tag_t b = vexa::sim::create_part("C:\\b.prt");
    EXPECT_EQ(HX_DRAW_ask_display_state(&state), 0);
    EXPECT_EQ(state, HX_DRAW_MODEL_VIEW);
    EXPECT_EQ(HX_DRAW_set_display_state(HX_DRAW_SHEET_VIEW), 0);
    EXPECT_EQ(HX_DRAW_set_display_state(3), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexa::sim::drawing_display_state(a), HX_DRAW_SHEET_VIEW);
    EXPECT_EQ(vexa::sim::drawing_display_state(b), HX_DRAW_MODEL_VIEW);
    int module = 0;
    EXPECT_EQ(HX_ask_application_module(&module), 0);
    EXPECT_EQ(module, HX_APP_MODELING);
}

TEST_F(HostPrograms, CopyNeverReplacesAndLeavesNothingHalfWritten)
{
    std::string content(200000, 'q');
    std::ofstream(dir / "source.bin", std::ios::binary) << content;
    std::ofstream(dir / "taken.bin", std::ios::binary) << "mine";
    std::string from = vexa::sim::host_path((dir / "source.bin").string());

    EXPECT_EQ(HX_CFI_copy_file(from.c_str(), vexa::sim::host_path((dir / "copy.bin").string()).c_str()), 0);
    EXPECT_EQ(read(dir / "copy.bin"), content);
    EXPECT_EQ(HX_CFI_copy_file(from.c_str(), vexa::sim::host_path((dir / "taken.bin").string()).c_str()),
              HX_ERR_EXISTS);
    EXPECT_EQ(read(dir / "taken.bin"), "mine");
    EXPECT_EQ(HX_CFI_copy_file(vexa::sim::host_path((dir / "none.bin").string()).c_str(),
                               vexa::sim::host_path((dir / "other.bin").string()).c_str()),
              HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_CFI_copy_file(from.c_str(), vexa::sim::host_path((dir / "no" / "dir.bin").string()).c_str()),
              HX_ERR_IO);
    EXPECT_EQ(HX_CFI_copy_file(from.c_str(), vexa::sim::host_path(dir.string()).c_str()), HX_ERR_EXISTS);
    EXPECT_EQ(HX_CFI_copy_file(nullptr, "x"), HX_ERR_BAD_ARGUMENT);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &e : fs::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 3u) << "no temporary file is left behind";
}

TEST_F(HostPrograms, ArgumentsReachTheProgramUnread)
{
    fs::path out = dir / "args.out";
    vexa::sim::set_program("Excel.EXE", {SPAWN_PROBE, out.string()});
    const std::vector<std::string> hostile = {
        "/tmp/a b;$(touch x)/c.xls", "it's \"quoted\"", "`id` | cat &", "*", "", "$HOME"};
    std::error_code ec;
    fs::path before = fs::current_path();
    fs::current_path(dir);
    int exit_code = -1;
    int status = Orvel::SpawnProgram("C:\\Office\\excel.exe", hostile, true, &exit_code);
    fs::current_path(before);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(probe_arguments(out), hostile);
    EXPECT_FALSE(fs::exists(dir / "x"));
    EXPECT_FALSE(fs::exists("x"));

    const auto &entry = vexa::sim::journal().back();
    EXPECT_EQ(entry.kind, vexa::sim::Entry::spawn);
    EXPECT_EQ(entry.text, "C:\\Office\\excel.exe");
    EXPECT_EQ(entry.arguments, hostile);
    EXPECT_EQ(entry.severity, 1);
    EXPECT_EQ(entry.answer, SPAWN_PROBE);
}

TEST_F(HostPrograms, WaitingReportsTheExitStatusAndNotWaitingReturnsAtOnce)
{
    fs::path out = dir / "args.out";
    vexa::sim::set_program("excel.exe", {SPAWN_PROBE, out.string()});
    ::setenv("SPAWN_PROBE_EXIT", "7", 1);
    int exit_code = -1;
    EXPECT_EQ(Orvel::SpawnProgram("excel.exe", {"C:\\dir\\book.xls"}, true, &exit_code), 0);
    ::unsetenv("SPAWN_PROBE_EXIT");
    EXPECT_EQ(exit_code, 7);
    EXPECT_EQ(probe_arguments(out), std::vector<std::string>{"C:/dir/book.xls"}) << "a host path made local";

    fs::remove(out);
    EXPECT_EQ(Orvel::SpawnProgram("excel.exe", {"later"}, false, &exit_code), 0);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(vexa::sim::wait_for_programs(), 1);
    EXPECT_EQ(probe_arguments(out), std::vector<std::string>{"later"});
    EXPECT_EQ(vexa::sim::journal().back().severity, 0);
}

TEST_F(HostPrograms, AProgramTheHostCannotRunRaises)
{
    auto code_of = [](const char *program) {
        try {
            Orvel::SpawnProgram(program, {"book.xls"}, false, nullptr);
        } catch (const Orvel::HostError &e) {
            return e.Code();
        }
        return 0;
    };
    EXPECT_EQ(code_of("C:\\No Office\\excel.exe"), HX_ERR_NOT_FOUND);
    EXPECT_EQ(code_of(""), HX_ERR_BAD_ARGUMENT);

    // A file without the form of a program is not handed to a shell instead.
    fs::path script = dir / "script.exe";
    std::ofstream(script) << "touch " << (dir / "ran").string() << "\n";
    fs::permissions(script, fs::perms::owner_all);
    EXPECT_EQ(code_of(vexa::sim::host_path(script.string()).c_str()), HX_ERR_IO);
    vexa::sim::wait_for_programs();
    EXPECT_FALSE(fs::exists(dir / "ran"));

    vexa::sim::set_program("excel.exe", {(dir / "missing").string()});
    EXPECT_EQ(code_of("excel.exe"), HX_ERR_NOT_FOUND);
    vexa::sim::set_program("excel.exe", {});
    vexa::sim::fail_call("Orvel::SpawnProgram", HX_ERR_INTERNAL, 0, 1);
    EXPECT_EQ(code_of("excel.exe"), HX_ERR_INTERNAL);
    EXPECT_EQ(vexa::sim::texts(vexa::sim::Entry::spawn).size(), 3u) << "every request reaching the host";
}

TEST_F(HostPrograms, EditorAndSettingAskedByTheToolingUtilities)
{
    EXPECT_EQ(HX_sheet_edit("C:\\kit\\book.xs4"), 0);
    EXPECT_EQ(HX_sheet_edit(""), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexa::sim::edited_workbooks(), std::vector<std::string>{"C:\\kit\\book.xs4"});
    EXPECT_EQ(vexa::sim::texts(vexa::sim::Entry::sheet_edit), std::vector<std::string>{"C:\\kit\\book.xs4"});
    int format = -1;
    EXPECT_EQ(HX_kt_ask_default_spreadsheet_format(&format), 0);
    EXPECT_EQ(format, HX_SPREADSHEET_XESS);
    vexa::sim::set_default_spreadsheet_excel(true);
    EXPECT_EQ(HX_kt_ask_default_spreadsheet_format(&format), 0);
    EXPECT_EQ(format, HX_SPREADSHEET_EXCEL);
}

} // namespace
