// Opening a workbook for the user to change: in the host's own spreadsheet
// editor when the host's default spreadsheet format is XESS, otherwise in
// the separate spreadsheet program, started from its directory as the
// registry names it. A workbook that does not exist yet is first copied from
// the application's template workbook in the kit; once copied it stays,
// whatever happens after.
//
// The program is started through the host's program-spawning service with
// an argument vector: the workbook path is one argument however it is
// spelled (blanks, quotes, ';', "$(...)"), never text for a command
// processor. The site decides with the customer default "CV_ExcelBackground"
// whether the call waits for the program to end (0) or returns once it has
// started (anything else, or no value).
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/text_buffer.h"
#include "workbook_path.h"

#include "hx_cxx.h"
#include "hx_files.h"
#include "hx_messages.h"
#include "hx_spreadsheet.h"

#include <string>
#include <vector>

namespace {

// Where a raised spawning error is recorded in the host's error log.
constexpr const char *spawn_source = "cvstvshare_kt_misc";
constexpr int spawn_line = 280;

constexpr const char *copy_failed_message = "Cannot copy the template file into the database directory.\n"
                                            "Check if you have write permission to the directory.";

const char *template_name(int wizard_type)
{
    switch (wizard_type) {
    case 2: return "stv_template.xls";
    case 3: return "pressa_template.xls";
    default: return "cavora_template.xls";
    }
}

bool file_exists(const std::string &path)
{
    int code = HX_FILE_MISSING;
    return HX_file_exists(path.c_str(), HX_FILE_TYPE_ANY, &code) == 0 && code == HX_FILE_EXISTS;
}

void information(const char *text)
{
    int response = 0;
    HX_message_dialog("Information", HX_DIALOG_INFORMATION, HX_TEXT(text), "OK", nullptr, nullptr, &response);
}

// Makes sure the workbook exists, copying the template of the wizard type
// to it when it does not. 0, or -1 after a message.
int create_from_template(int wizard_type, const std::string &workbook)
{
    if (file_exists(workbook))
        return 0;
    char template_path[cvstv::path_size + 1] = "";
    if (CVSTVSHARE_ask_mold_fspec(wizard_type, nullptr, "\\templates", template_name(wizard_type),
                                  template_path) != 0)
        return -1;
    int status = HX_CFI_copy_file(template_path, workbook.c_str());
    // A workbook made in the meantime by someone else is as good.
    if (status != 0 && status != HX_ERR_EXISTS) {
        HX_message_box(HX_SEVERITY_ERROR, HX_TEXT(copy_failed_message));
        return -1;
    }
    return 0;
}

// Every ":\\" of a path as ":\": a drive written with a doubled separator.
std::string single_separator_after_drive(std::string path)
{
    for (std::size_t at = path.find(":\\\\"); at != std::string::npos; at = path.find(":\\\\", at + 2))
        path.erase(at + 1, 1);
    return path;
}

std::string program_path(const std::string &directory)
{
    std::string program = directory;
    if (!program.empty() && program.back() != '\\' && program.back() != '/')
        program += '\\';
    return program + "excel.exe";
}

// Starts the program with the workbook as its one argument; a raised host
// error is recorded and becomes its status.
int spawn(const std::string &program, const std::string &workbook, bool wait)
{
    try {
        int exit_code = 0;
        return Orvel::SpawnProgram(program.c_str(), std::vector<std::string>{workbook}, wait, &exit_code);
    } catch (const Orvel::HostError &e) {
        HX_log_error(spawn_source, spawn_line, e.Code(), e.what());
        return e.Code();
    }
}

bool wait_for_program(int wizard_type)
{
    int background = 1;
    return CVSTVSHARE_get_customer_default(wizard_type, "CV_ExcelBackground", CV_DEFAULT_UNITS_WORK_PART,
                                           CV_DEFAULT_INT, &background) == 0 &&
           background == 0;
}

int sheet_edit(int wizard_type, const char *path)
{
    std::string file = cvstv::split_workbook_path(path).file;
    if (file.empty())
        return -1;
    int format = HX_SPREADSHEET_XESS;
    if (int status = HX_kt_ask_default_spreadsheet_format(&format))
        return status;
    if (format == HX_SPREADSHEET_XESS)
        return HX_sheet_edit(file.c_str());

    std::string directory = cvstv::excel_directory();
    if (directory.empty()) {
        information("Failed to find Microsoft Excel");
        return -1;
    }
    std::string workbook = cvstv::swap_extension(file, ".xs4", ".xls");
    if (create_from_template(wizard_type, workbook) != 0)
        return -1;
    std::string program = program_path(directory);
    if (wait_for_program(wizard_type))
        return spawn(program, workbook, true);
    return spawn(program, single_separator_after_drive(workbook), false);
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_sheet_edit(int wizard_type, const char *path) noexcept
{
    if (!path)
        return -1;
    return cvstv::guarded("CVSTVSHARE_sheet_edit", -1, [&] { return sheet_edit(wizard_type, path); });
}

} // extern "C"
