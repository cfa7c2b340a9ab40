// The host spreadsheet's text export (".xs4") writer.
//
// Each cell is written in the first line form that carries its text exactly:
//   picture     "PCib@<ref>::<name>"  a "BITMAP" cell with a name to its right
//   value cell  "Nv@<ref>:=G=<text>"  numbers, and texts the text form cannot
//                                     carry (a double-quote character, ":=",
//                                     an image name in column A)
//   text cell   "Tl@<ref>:\"L\"<text>\""
// and refused when none does. The sheet-name lines of all sheets come first;
// then each sheet has its extent line (its own used range), its sheet-data
// line and its cell lines, so a sheet reads back with its own size. The reader takes a value cell's text as
// the second '='-separated piece and a text cell's as the second '"'-separated piece, strips leading blanks
// from both, and keeps 249 characters of a line; the checks below follow exactly those rules.
#include "vexahost/xess_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

namespace vexa::sim {

namespace {

constexpr std::size_t line_length = 249;
constexpr std::size_t max_columns = 16384;
constexpr std::size_t max_rows = 1048576;

std::string column_letters(std::size_t column) // from 1
{
    std::string letters;
    while (column > 0) {
        std::size_t digit = (column - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

std::string reference(std::size_t row, std::size_t column) // both from 0
{
    return column_letters(column + 1) + std::to_string(row + 1);
}

// Only digits, '.', '+', '-', '/' and blanks, with at least one digit.
bool is_number(const std::string &text)
{
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '.' && c != '+' && c != '-' && c != '/' && c != ' ' && c != '\t')
            return false;
    }
    return digit;
}

bool ends_with(const std::string &text, const char *suffix)
{
    std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// A text the reader would take for a picture when written as a text cell.
bool reads_as_picture(const std::string &text, std::size_t column)
{
    return column == 0 && text.size() > 4 && (ends_with(text, ".ubm") || ends_with(text, ".xbm"));
}

// Why no line can hold this text, or null when one can. Texts that would
// lose characters to the line reader (line breaks, a trailing carriage
// return, NUL) or to the blank stripping of both cell forms are refused.
const char *unwritable(const std::string &text)
{
    if (text.find('\n') != std::string::npos)
        return "it holds a line feed";
    if (!text.empty() && text.back() == '\r')
        return "it ends in a carriage return";
    if (text.find('\0') != std::string::npos)
        return "it holds a NUL character";
    return nullptr;
}

class Writer {
  public:
    explicit Writer(std::string &out) : out_(out) {}

    XessStatus sheets(const std::vector<XessSheet> &sheets)
    {
        std::set<std::string> names;
        for (const XessSheet &s : sheets) {
            if (s.name.empty())
                return fail(s, "a sheet needs a name");
            if (const char *why = unwritable(s.name))
                return fail(s, std::string("its name cannot be written: ") + why);
            if (!names.insert(s.name).second)
                return fail(s, "two sheets have this name");
            std::string line = "Sn::" + std::to_string(sheets.size()) + "/" + s.name;
            if (line.size() > line_length)
                return fail(s, "its name is too long for a line of 249 characters");
        }
        for (std::size_t i = 0; i < sheets.size(); ++i)
            out_ += "Sn::" + std::to_string(i + 1) + "/" + sheets[i].name + "\n";
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            // Each sheet's own used range, so that a sheet reads back with
            // the size it has in the workbook.
            std::size_t rows = 1, columns = 1;
            const XessSheet &s = sheets[i];
            for (std::size_t r = 0; r < s.cells.size(); ++r)
                for (std::size_t c = 0; c < s.cells[r].size(); ++c)
                    if (!s.cells[r][c].empty()) {
                        rows = std::max(rows, r + 1);
                        columns = std::max(columns, c + 1);
                    }
            if (rows > max_rows || columns > max_columns)
                return fail(s, "larger than 16384 columns by 1048576 rows");
            out_ += "X::4." + std::to_string(i + 1) + "!" + reference(rows - 1, columns - 1) + "." +
                    std::to_string(sheets.size()) + "\n";
            out_ += "Sd::" + std::to_string(i + 1) + "\n";
            if (XessStatus st = sheet(s); !st)
                return st;
        }
        return {};
    }

  private:
    XessStatus fail(const XessSheet &s, const std::string &why)
    {
        return {false, "sheet '" + s.name + "': " + why};
    }
    XessStatus fail_cell(const XessSheet &s, std::size_t r, std::size_t c, const std::string &why)
    {
        return {false, "sheet '" + s.name + "', cell " + reference(r, c) + ": " + why};
    }

    XessStatus sheet(const XessSheet &s)
    {
        for (std::size_t r = 0; r < s.cells.size(); ++r) {
            const auto &row = s.cells[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const std::string &text = row[c];
                if (text.empty())
                    continue;
                if (text == "BITMAP" && c + 1 < row.size() && !row[c + 1].empty()) {
                    const std::string &name = row[c + 1];
                    if (const char *why = unwritable(name))
                        return fail_cell(s, r, c + 1, std::string("picture name cannot be written: ") + why);
                    std::string line = "PCib@" + reference(r, c) + "::" + name;
                    if (line.size() > line_length)
                        return fail_cell(s, r, c + 1, "picture name too long for a line of 249 characters");
                    out_ += line + "\n";
                    ++c; // the name is written with its marker
                    continue;
                }
                if (XessStatus st = cell(s, r, c, text); !st)
                    return st;
            }
        }
        return {};
    }

    XessStatus cell(const XessSheet &s, std::size_t r, std::size_t c, const std::string &text)
    {
        if (const char *why = unwritable(text))
            return fail_cell(s, r, c, why);
        if (text.front() == ' ')
            return fail_cell(
                s, r, c, "a text beginning with a blank cannot be written (the reader drops leading blanks)");
        bool has_quote = text.find('"') != std::string::npos;
        bool has_equals = text.find('=') != std::string::npos;
        bool text_form = !has_quote && text.find(":=") == std::string::npos && !reads_as_picture(text, c) &&
                         !is_number(text);
        std::string line;
        if (text_form) {
            line = "Tl@" + reference(r, c) + ":\"L\"" + text + "\"";
        } else if (!has_equals) {
            line = "Nv@" + reference(r, c) + ":=G=" + text;
        } else if (has_quote) {
            return fail_cell(s, r, c, "a text holding both '\"' and '=' cannot be written");
        } else if (text.find(":=") != std::string::npos) {
            return fail_cell(s, r, c, "a text holding ':=' cannot be written");
        } else {
            return fail_cell(s, r, c, "an image file name in column A holding '=' cannot be written");
        }
        if (line.size() > line_length)
            return fail_cell(s, r, c,
                             "text of " + std::to_string(text.size()) +
                                 " characters is too long for a line of 249 characters");
        out_ += line;
        out_ += '\n';
        return {};
    }

    std::string &out_;
};

} // namespace

XessStatus format_xess(const std::vector<XessSheet> &sheets, std::string &text)
{
    text.clear();
    Writer writer(text);
    XessStatus status = writer.sheets(sheets);
    if (!status)
        text.clear();
    return status;
}

XessStatus write_xess(const std::string &local_path, const std::vector<XessSheet> &sheets)
{
    std::string text;
    if (XessStatus s = format_xess(sheets, text); !s)
        return s;
    std::string temp = local_path + ".tmpXXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return {false, local_path + ": cannot create a temporary file: " + std::strerror(errno)};
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = errno;
            ::close(fd);
            ::unlink(temp.c_str());
            return {false, local_path + ": write failed: " + std::strerror(err)};
        }
        done += static_cast<std::size_t>(n);
    }
    bool finished = ::fsync(fd) == 0 && ::fchmod(fd, 0644) == 0;
    int err = errno;
    if (::close(fd) != 0 && finished) {
        finished = false;
        err = errno;
    }
    if (!finished) {
        ::unlink(temp.c_str());
        return {false, local_path + ": cannot finish the file: " + std::strerror(err)};
    }
    if (std::rename(temp.c_str(), local_path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return {false, local_path + ": cannot rename into place: " + std::strerror(err)};
    }
    return {};
}

} // namespace vexa::sim
