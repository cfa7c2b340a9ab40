// kitgen: builds the example kit in the build tree from its sources.
//
//   kitgen <source kit directory> <output kit directory>
//
// Every file of the source tree is copied to the same place in the output
// tree, except workbook sources (*.sheets.txt), which become the workbook
// (.xls, through the workbook writer) and the host spreadsheet's text export
// of it (.xs4) under the same name. Both are written from the same typed
// workbook, so every reader sees the same cells.
//
// Workbook source format (see examples/kit/README.md): "@sheet NAME" opens a
// sheet; every other line is a row of tab-separated cells (an empty line is
// an empty row); lines beginning with "@@" are notes of the source only.
// Cells become what workbook::typed_cell makes of their text: numbers when
// they read as numbers (the one reader every part of the project uses),
// text otherwise.
#include "vexahost/xess_export.h"
#include "workbook/workbook.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view source_suffix = ".sheets.txt";

bool parse_source(const fs::path &path, workbook::Workbook &book, std::string &error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open";
        return false;
    }
    std::string line;
    int number = 0;
    std::set<std::string> names;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("@@", 0) == 0)
            continue;
        if (line.rfind("@sheet ", 0) == 0) {
            std::string name = line.substr(7);
            if (name.empty() || !names.insert(name).second) {
                error = "line " + std::to_string(number) + ": missing or repeated sheet name";
                return false;
            }
            book.sheets.push_back({name, {}});
            continue;
        }
        if (book.sheets.empty()) {
            if (line.empty())
                continue;
            error = "line " + std::to_string(number) + ": a row before the first \"@sheet\"";
            return false;
        }
        std::vector<workbook::Cell> row;
        std::size_t start = 0;
        while (true) {
            std::size_t tab = line.find('\t', start);
            row.push_back(workbook::typed_cell(
                line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        while (!row.empty() && row.back().empty())
            row.pop_back();
        book.sheets.back().rows.push_back(std::move(row));
    }
    // Trailing empty rows carry nothing.
    for (workbook::Sheet &sheet : book.sheets)
        while (!sheet.rows.empty() && sheet.rows.back().empty())
            sheet.rows.pop_back();
    return true;
}

bool generate(const fs::path &source, const fs::path &target_dir)
{
    std::string name = source.filename().string();
    fs::path stem = target_dir / name.substr(0, name.size() - source_suffix.size());
    workbook::Workbook book;
    std::string error;
    if (!parse_source(source, book, error)) {
        std::fprintf(stderr, "kitgen: %s: %s\n", source.c_str(), error.c_str());
        return false;
    }
    // An add-in workbook (name.xla.sheets.txt) is a workbook under its own
    // name, with no text export.
    if (stem.extension() == ".xla") {
        if (workbook::Status s = workbook::write_workbook(stem.string(), book); !s) {
            std::fprintf(stderr, "kitgen: %s: %s\n", stem.c_str(), s.error.c_str());
            return false;
        }
        return true;
    }
    if (workbook::Status s = workbook::write_workbook(stem.string() + ".xls", book); !s) {
        std::fprintf(stderr, "kitgen: %s.xls: %s\n", stem.c_str(), s.error.c_str());
        return false;
    }
    if (vexa::sim::XessStatus s =
            vexa::sim::write_xess(stem.string() + ".xs4", vexa::sim::xess_sheets_of(book));
        !s) {
        std::fprintf(stderr, "kitgen: %s: %s\n", source.c_str(), s.error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kitgen <source kit directory> <output kit directory>\n");
        return 2;
    }
    fs::path source = argv[1], output = argv[2];
    std::error_code ec;
    if (!fs::is_directory(source, ec)) {
        std::fprintf(stderr, "kitgen: not a directory: %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    int workbooks = 0;
    for (auto it = fs::recursive_directory_iterator(source, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::path relative = fs::relative(it->path(), source);
        fs::path target = output / relative;
        if (it->is_directory()) {
            fs::create_directories(target, ec);
            continue;
        }
        fs::create_directories(target.parent_path(), ec);
        std::string name = it->path().filename().string();
        if (name.size() > source_suffix.size() && name.ends_with(source_suffix)) {
            ok = generate(it->path(), target.parent_path()) && ok;
            ++workbooks;
        } else if (!fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec)) {
            std::fprintf(stderr, "kitgen: cannot copy %s: %s\n", it->path().c_str(), ec.message().c_str());
            ok = false;
        }
    }
    if (ec) {
        std::fprintf(stderr, "kitgen: %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    std::printf("kitgen: %d workbook(s) generated into %s\n", workbooks, argv[2]);
    return ok ? 0 : 1;
}
