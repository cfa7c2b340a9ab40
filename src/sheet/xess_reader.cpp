// The XESS text reader on files: the export named by a workbook path is read
// and parsed (xess_parser.cpp) and normalised like every other reader's
// sheet.
#include "xess_reader.h"

#include "sheet_internal.h"
#include "workbook_path.h"
#include "util/text_buffer.h"

#include "hx_messages.h"

#include <cstdio>
#include <memory>
#include <string>

namespace cvstv::xess {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

File open_file(const std::string &host_path)
{
    std::string local = cvstv::local_path(host_path);
    return File(local.empty() ? nullptr : std::fopen(local.c_str(), "rb"), std::fclose);
}

// Reads a local file whole. False when it cannot be opened or read.
bool read_file(const std::string &host_path, std::string &text)
{
    File file = open_file(host_path);
    if (!file)
        return false;
    char chunk[1 << 16];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text.append(chunk, n);
    return !std::ferror(file.get());
}

void show_missing(const std::string &path)
{
    std::string message = cvstv::format(HX_TEXT("Cannot find spreadsheet = %s\n"), path.c_str());
    HX_message_box(HX_SEVERITY_ERROR, message.c_str());
}

} // namespace

// The file goes through the parser in blocks that stay in the processor's
// cache, each read straight into one buffer on the stack: the export is read
// once and never held whole, and reading needs no heap.
int read_spreadsheet(const char *path, sheet_table *table)
{
    cvstv::copy_bounded(table->file_name, sizeof table->file_name, path);
    table->rows = nullptr;
    table->row_count = table->column_count = 0;
    table->found_row = -1;

    WorkbookPath split = split_workbook_path(path);
    std::string file_path = swap_extension(split.file, ".xls", ".xs4");
    File file = open_file(file_path);
    if (!file) {
        show_missing(file_path);
        return -1;
    }
    SheetTextParser parser(split.sheet.c_str());
    char block[1 << 16];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file.get())) > 0)
        if (!parser.feed({block, n}))
            break;
    if (std::ferror(file.get())) {
        show_missing(file_path);
        return -1;
    }
    SheetGridNotes notes;
    int status = parser.finish(table, &notes);
    if (status == xess_missing_sheet)
        return -1; // as every reader answers for a sheet the workbook lacks
    if (status != 0) {
        if (status == -1)
            HX_syslog_write(
                cvstv::format("XESS export %s: extent refused or memory exhausted", file_path.c_str())
                    .c_str());
        return status;
    }
    return sheet_normalize_noted(table, notes);
}

int read_sheet_names(const char *path, std::vector<std::string> &names)
{
    std::string text;
    if (!read_file(path, text)) {
        show_missing(path);
        return -1;
    }
    names = parse_sheet_names(text);
    return 0;
}

} // namespace cvstv::xess
