// The XESS text reader on files: the export named by a workbook path is read
// whole, parsed (xess_parser.cpp) and normalised like every other reader's
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

// Reads a local file whole. False when it cannot be opened or read.
bool read_file(const std::string &host_path, std::string &text)
{
    std::string local = cvstv::local_path(host_path);
    if (local.empty())
        return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(local.c_str(), "rb"), std::fclose);
    if (!file)
        return false;
    // One read of the whole file when its size is known, then whatever
    // follows (a file that grows, or one whose size is not reported).
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        long size = std::ftell(file.get());
        std::rewind(file.get());
        if (size > 0) {
            text.resize(static_cast<std::size_t>(size));
            text.resize(std::fread(text.data(), 1, text.size(), file.get()));
        }
    }
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

int read_spreadsheet(const char *path, sheet_table *table)
{
    cvstv::copy_bounded(table->file_name, sizeof table->file_name, path);
    table->rows = nullptr;
    table->row_count = table->column_count = 0;
    table->found_row = -1;

    WorkbookPath split = split_workbook_path(path);
    std::string file = swap_extension(split.file, ".xls", ".xs4");
    std::string text;
    if (!read_file(file, text)) {
        show_missing(file);
        return -1;
    }
    int status = parse_sheet(text, split.sheet.c_str(), table);
    if (status == xess_missing_sheet)
        return -1; // as every reader answers for a sheet the workbook lacks
    if (status != 0) {
        if (status == -1)
            HX_syslog_write(cvstv::format("XESS export %s: extent refused or memory exhausted", file.c_str()).c_str());
        return status;
    }
    return sheet_normalize(table);
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
