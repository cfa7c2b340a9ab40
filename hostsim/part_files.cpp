// Part files of the headless host (part_files.h): the files of the
// documents of part_document.h (hostsim/PART_FILES.md).
//
// An open reads the top file and every component file it reaches, checks
// that no part would contain itself, allocates the caller's load status,
// and only then loads the parts (top first, then components breadth-first).
// A file that cannot be read loads nothing of itself; a top file that
// cannot be read, or a cycle, loads nothing at all. A save writes the whole
// document to a temporary file beside the target, flushes it to disk and
// renames it over the target, so a part file is never left half-written.
#include "part_document.h"
#include "part_files.h"
#include "session_state.h"

#include "../src/host/hx_files.h"
#include "../src/host/hx_memory.h"
#include "../src/host/hx_messages.h"
#include "../src/host/hx_objects.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

using vexa::sim::ComponentDoc;
using vexa::sim::host_call;
using vexa::sim::Instance;
using vexa::sim::LoadFailure;
using vexa::sim::ModelObject;
using vexa::sim::Part;
using vexa::sim::PartDoc;
using vexa::sim::tag_t;

namespace {

using vexa::sim::max_part_file_size;

struct PartFilesState {
    std::vector<LoadFailure> last_failures;
};
vexa::sim::AreaState<PartFilesState> part_files{"part files"};

// Reads a local file whole; HX_ERR_NOT_FOUND when it does not exist.
int read_file(const std::string &local, std::string &text, std::string &why)
{
    int fd = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return errno == ENOENT || errno == ENOTDIR ? HX_ERR_NOT_FOUND : HX_ERR_IO;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = "not a regular file";
        return HX_ERR_PART_FILE;
    }
    if (static_cast<std::size_t>(st.st_size) > max_part_file_size) {
        ::close(fd);
        why = "the file is larger than " + std::to_string(max_part_file_size >> 20) + " MiB";
        return HX_ERR_PART_FILE;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return HX_ERR_IO;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > max_part_file_size) {
            ::close(fd);
            why = "the file is larger than " + std::to_string(max_part_file_size >> 20) + " MiB";
            return HX_ERR_PART_FILE;
        }
    }
    ::close(fd);
    return HX_OK;
}

// Reads and checks the document of a part name.
int load_document(const std::string &name, PartDoc &doc, std::string &why, const std::string *given = nullptr)
{
    std::string text;
    if (given) {
        text = *given;
    } else {
        std::string local;
        if (int s = vexa::sim::local_file_of(name, local)) {
            why = "no file for this part name";
            return s;
        }
        if (int s = read_file(local, text, why))
            return s;
    }
    try {
        doc = vexa::sim::parse_part_document(text);
        return HX_OK;
    } catch (const vexa::sim::PartFileRefused &r) {
        why = r.what();
        return r.status;
    }
}

// The full name of a component file as the load options find it.
std::string component_file(const std::string &holder, const std::string &stored)
{
    const ASSY_assy_options_t &options = vexa::sim::load_options();
    if (options.option[ASSY_OPTION_LOAD_METHOD] == 1 && !vexa::sim::is_pdm_name(stored)) {
        char directory[HX_MAX_FSPEC_SIZE + 1] = "";
        HX_PART_ask_default_directory(directory);
        if (*directory)
            return vexa::sim::resolve_part_file(std::string(directory) + "\\x", vexa::sim::leaf_name(stored));
    }
    return vexa::sim::resolve_part_file(holder, stored);
}

std::string name_key(std::string name)
{
    for (char &c : name)
        if (c == '/')
            c = '\\';
    return name;
}

struct Staged {
    std::string name;
    PartDoc doc;
};

// The components' full names of a staged or loaded part.
std::vector<std::string> children_of(const std::string &name, const std::vector<Staged> &staged)
{
    std::vector<std::string> out;
    for (const Staged &s : staged)
        if (vexa::sim::same_part_name(s.name, name)) {
            for (const ComponentDoc &c : s.doc.components)
                out.push_back(component_file(s.name, c.part));
            return out;
        }
    if (Part *p = vexa::sim::loaded_part_named(name))
        for (tag_t tag : p->instances)
            if (Instance *i = vexa::sim::find_instance(tag))
                out.push_back(component_file(p->name, i->part_file));
    return out;
}

// The first part reached from `top` that would contain itself, or "".
std::string find_cycle(const std::string &top, const std::vector<Staged> &staged)
{
    enum class Mark { open, done };
    std::map<std::string, Mark> marks;
    struct Frame {
        std::string name;
        std::vector<std::string> children;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({top, children_of(top, staged)});
    marks[name_key(top)] = Mark::open;
    while (!stack.empty()) {
        Frame &f = stack.back();
        if (f.next == f.children.size()) {
            marks[name_key(f.name)] = Mark::done;
            stack.pop_back();
            continue;
        }
        std::string child = f.children[f.next++];
        auto it = marks.find(name_key(child));
        if (it != marks.end()) {
            if (it->second == Mark::open)
                return child;
            continue;
        }
        marks[name_key(child)] = Mark::open;
        auto grandchildren = children_of(child, staged);
        stack.push_back({child, std::move(grandchildren)});
    }
    return {};
}

void note_failures(const std::vector<LoadFailure> &failures, bool quiet)
{
    std::string shown;
    for (const LoadFailure &f : failures) {
        char text[HX_FAIL_MESSAGE_SIZE + 1] = "";
        HX_get_fail_message(f.status, text);
        vexa::sim::record(vexa::sim::Entry::syslog, 0, "",
                          "part file " + f.file + ": " + f.reason + " (" + text + ")");
        shown += (shown.empty() ? "" : "\n") + f.file + ": " + text;
    }
    if (!quiet && !failures.empty())
        vexa::sim::record(vexa::sim::Entry::message_box, HX_SEVERITY_ERROR, "",
                          "Parts not loaded:\n" + shown);
}

// Writes text to a local file through a temporary file in the same
// directory, flushed to disk before it is renamed over the target.
int write_atomically(const std::string &local, const std::string &text)
{
    std::string dir =
        local.substr(0, local.find_last_of('/') == std::string::npos ? 0 : local.find_last_of('/'));
    std::string temp =
        (dir.empty() ? std::string() : dir + "/") + "." +
        local.substr(local.find_last_of('/') == std::string::npos ? 0 : local.find_last_of('/') + 1) +
        ".XXXXXX";
    std::vector<char> pattern(temp.begin(), temp.end());
    pattern.push_back('\0');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return HX_ERR_IO;
    ::fchmod(fd, 0644);
    const char *data = text.data();
    std::size_t left = text.size();
    bool ok = true;
    while (ok && left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(pattern.data(), local.c_str()) == 0;
    if (!ok) {
        ::unlink(pattern.data());
        return HX_ERR_IO;
    }
    return HX_OK;
}

} // namespace

namespace vexa::sim {

// Builds the caller's load status; false when the host allocator refuses.
bool fill_load_status(int failed, const std::vector<LoadFailure> &failures, HX_PART_load_status_t &status)
{
    status = HX_PART_load_status_t{};
    status.failed = failed;
    if (failures.empty())
        return true;
    auto *names = static_cast<char **>(HX_zero_allocate_memory(failures.size() * sizeof(char *), nullptr));
    auto *codes = static_cast<int *>(HX_allocate_memory(failures.size() * sizeof(int), nullptr));
    bool ok = names && codes;
    for (std::size_t i = 0; ok && i < failures.size(); ++i) {
        names[i] = HX_strdup(failures[i].file.c_str());
        codes[i] = failures[i].status;
        ok = names[i] != nullptr;
    }
    if (!ok) {
        for (std::size_t i = 0; names && i < failures.size(); ++i)
            HX_free(names[i]);
        HX_free(names);
        HX_free(codes);
        return false;
    }
    status.n_parts = static_cast<int>(failures.size());
    status.file_names = names;
    status.statuses = codes;
    return true;
}

int write_part_file(const Part &part, const std::string &name)
{
    std::string local;
    if (int s = local_file_of(name, local))
        return s;
    return write_atomically(local, part_document(part));
}

void free_load_status(HX_PART_load_status_t &status)
{
    for (int i = 0; i < status.n_parts; ++i)
        HX_free(status.file_names[i]);
    HX_free(status.file_names);
    HX_free(status.statuses);
    status = HX_PART_load_status_t{};
}

const std::vector<LoadFailure> &last_load_failures()
{
    return part_files->last_failures;
}

int open_part_file(const std::string &given_name, bool quiet, tag_t &part, HX_PART_load_status_t &status,
                   const std::string *text)
{
    part = 0;
    status = HX_PART_load_status_t{};
    auto &failures = part_files->last_failures;
    failures.clear();
    std::string name = loaded_name_of(given_name);
    if (name.find_first_of("\\/") == std::string::npos && !is_pdm_name(name))
        name = resolve_part_file("", name);
    if (Part *loaded = loaded_part_named(name)) {
        if (text)
            return HX_ERR_EXISTS;
        part = loaded->tag;
        return HX_OK;
    }
    std::vector<Staged> staged(1);
    staged[0].name = name;
    std::string why;
    if (int s = load_document(name, staged[0].doc, why, text)) {
        failures.push_back({name, s, why});
        note_failures(failures, quiet);
        if (!fill_load_status(s, failures, status))
            return HX_ERR_NO_MEMORY;
        return s;
    }
    if (load_options().option[ASSY_OPTION_LOAD_COMPONENTS]) {
        for (std::size_t k = 0; k < staged.size(); ++k) {
            for (const ComponentDoc &c : std::vector<ComponentDoc>(staged[k].doc.components)) {
                std::string child = component_file(staged[k].name, c.part);
                bool known = loaded_part_named(child) != nullptr;
                for (const Staged &s : staged)
                    known = known || same_part_name(s.name, child);
                for (const LoadFailure &f : failures)
                    known = known || same_part_name(f.file, child);
                if (known)
                    continue;
                Staged next;
                next.name = child;
                if (int s = load_document(child, next.doc, why))
                    failures.push_back({child, s, why});
                else
                    staged.push_back(std::move(next));
            }
        }
    }
    if (std::string looped = find_cycle(name, staged); !looped.empty()) {
        failures.assign(
            1, {looped, HX_ERR_CYCLE, "the component structure of " + name + " returns to this part"});
        note_failures(failures, quiet);
        if (!fill_load_status(HX_ERR_CYCLE, failures, status))
            return HX_ERR_NO_MEMORY;
        return HX_ERR_CYCLE;
    }
    if (!fill_load_status(0, failures, status))
        return HX_ERR_NO_MEMORY;
    bool partial = load_options().option[ASSY_OPTION_LOAD_PARTIALLY] != 0;
    std::vector<tag_t> loaded;
    try {
        for (std::size_t k = 0; k < staged.size(); ++k)
            loaded.push_back(
                vexa::sim::commit_part_document(staged[k].name, staged[k].doc, k == 0 || !partial));
    } catch (...) {
        for (tag_t t : loaded)
            unload_part(t);
        throw;
    }
    note_failures(failures, quiet);
    part = loaded.front();
    return HX_OK;
}

int read_file_attributes(const std::string &name, std::vector<HX_ATTR_part_attr_t> &out)
{
    PartDoc doc;
    std::string why;
    if (int s = load_document(loaded_name_of(name), doc, why))
        return s;
    for (const AttrDoc &a : doc.attributes) {
        HX_ATTR_part_attr_t e{};
        std::snprintf(e.title, sizeof e.title, "%s", a.value.title.c_str());
        e.type = a.value.type;
        switch (a.value.type) {
        case attr_integer:
        case attr_time: std::snprintf(e.value, sizeof e.value, "%lld", a.value.integer); break;
        case attr_real: std::snprintf(e.value, sizeof e.value, "%.17g", a.value.real); break;
        case attr_reference: break;
        default: std::snprintf(e.value, sizeof e.value, "%s", a.value.text.c_str()); break;
        }
        out.push_back(e);
    }
    return HX_OK;
}

int local_file_of(const std::string &name, std::string &local)
{
    std::string cli;
    if (int s = pdm_part_file(name, cli, local); s != HX_ERR_WRONG_TYPE)
        return s;
    std::vector<char> buffer(name.size() + 1);
    if (int s = HX_local_path(name.c_str(), buffer.data(), buffer.size()))
        return s;
    local = buffer.data();
    return local.empty() ? HX_ERR_NOT_FOUND : HX_OK;
}

// ---- Setup API -----------------------------------------------------------------------

OpenResult open_part(const std::string &name)
{
    OpenResult result;
    HX_PART_load_status_t status{};
    result.status = HX_PART_open_quiet(name.c_str(), &result.part, &status);
    result.failures = part_files->last_failures;
    free_load_status(status);
    return result;
}

OpenResult open_part_text(const std::string &name, const std::string &text)
{
    OpenResult result;
    HX_PART_load_status_t status{};
    result.status =
        host_call("open_part_text", [&] { return open_part_file(name, true, result.part, status, &text); });
    result.failures = part_files->last_failures;
    free_load_status(status);
    return result;
}

int save_part(tag_t part)
{
    Part *p = find_part(part);
    if (!p)
        return HX_ERR_NOT_FOUND;
    int s = write_part_file(*p, p->name);
    if (s == HX_OK)
        p->modified = false;
    return s;
}

int save_part_as(tag_t part, const std::string &name)
{
    tag_t work = parts_state().work;
    parts_state().work = part;
    int s = HX_PART_save_as(name.c_str());
    if (find_part(work))
        parts_state().work = work;
    return s;
}

std::string part_file_text(tag_t part)
{
    Part *p = find_part(part);
    return p ? part_document(*p) : std::string();
}

void close_part(tag_t part)
{
    unload_part(part);
}

} // namespace vexa::sim

namespace {

// The common part of the open calls: the arguments checked, the outputs
// cleared, the part opened.
int open_call(const char *name, bool quiet, tag_t *part, HX_PART_load_status_t *status)
{
    if (!part || !status)
        return HX_ERR_BAD_ARGUMENT;
    *status = HX_PART_load_status_t{};
    *part = 0;
    if (!name || !*name)
        return HX_ERR_BAD_ARGUMENT;
    return vexa::sim::open_part_file(name, quiet, *part, *status);
}

} // namespace

extern "C" {

HX_API int HX_PART_open(const char *name, tag_t *part, HX_PART_load_status_t *status)
{
    return host_call("HX_PART_open", [&]() -> int {
        int s = open_call(name, false, part, status);
        if (s == HX_OK) {
            auto &state = vexa::sim::parts_state();
            state.display = state.work = *part;
            state.work_occurrence = 0;
        }
        return s;
    });
}

HX_API int HX_PART_open_quiet(const char *name, tag_t *part, HX_PART_load_status_t *status)
{
    return host_call("HX_PART_open_quiet", [&] { return open_call(name, true, part, status); });
}

HX_API int HX_PART_save(void)
{
    return host_call("HX_PART_save", []() -> int {
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        int s = vexa::sim::write_part_file(*p, p->name);
        if (s == HX_OK)
            p->modified = false;
        return s;
    });
}

HX_API int HX_PART_save_as(const char *new_name)
{
    return host_call("HX_PART_save_as", [&]() -> int {
        if (!new_name || !*new_name)
            return HX_ERR_BAD_ARGUMENT;
        if (std::strlen(new_name) > HX_MAX_FSPEC_SIZE)
            return HX_ERR_TOO_LONG;
        Part *p = vexa::sim::find_part(vexa::sim::parts_state().work);
        if (!p)
            return HX_ERR_NOT_FOUND;
        std::string name = vexa::sim::loaded_name_of(new_name);
        if (Part *other = vexa::sim::loaded_part_named(name); other && other != p)
            return HX_ERR_EXISTS;
        // Bare names of components and linked parts were found beside the old
        // file; they keep naming the same files from the new place.
        bool moved =
            !vexa::sim::same_part_name(vexa::sim::directory_of(name), vexa::sim::directory_of(p->name));
        std::vector<std::pair<Instance *, std::string>> renamed;
        std::vector<std::pair<ModelObject *, std::string>> relinked;
        if (moved) {
            for (tag_t tag : p->instances)
                if (Instance *i = vexa::sim::find_instance(tag))
                    renamed.emplace_back(i, vexa::sim::resolve_part_file(p->name, i->part_file));
            for (tag_t tag : p->features)
                if (ModelObject *f = vexa::sim::find_model_object(tag); f && f->link)
                    relinked.emplace_back(f, vexa::sim::resolve_part_file(p->name, f->link->part_file));
        }
        std::vector<std::string> old_files;
        for (auto &[i, full] : renamed) {
            old_files.push_back(i->part_file);
            i->part_file = full;
        }
        std::vector<std::string> old_links;
        for (auto &[f, full] : relinked) {
            old_links.push_back(f->link->part_file);
            f->link->part_file = full;
        }
        int s = vexa::sim::write_part_file(*p, name);
        if (s != HX_OK) {
            for (std::size_t k = 0; k < renamed.size(); ++k)
                renamed[k].first->part_file = old_files[k];
            for (std::size_t k = 0; k < relinked.size(); ++k)
                relinked[k].first->link->part_file = old_links[k];
            return s;
        }
        p->name = name;
        p->modified = false;
        return HX_OK;
    });
}

HX_API int HX_PART_close(tag_t part, int whole_tree)
{
    return host_call("HX_PART_close", [&]() -> int {
        Part *p = vexa::sim::find_part(part);
        if (!p)
            return HX_ERR_NOT_FOUND;
        std::vector<std::string> children;
        for (tag_t tag : p->instances)
            if (Instance *i = vexa::sim::find_instance(tag))
                children.push_back(vexa::sim::resolve_part_file(p->name, i->part_file));
        vexa::sim::unload_part(part);
        if (!whole_tree)
            return HX_OK;
        // Close each component part no remaining part uses, and its own in turn.
        while (!children.empty()) {
            std::string child = children.back();
            children.pop_back();
            Part *c = vexa::sim::loaded_part_named(child);
            if (!c)
                continue;
            bool used = false;
            for (Part *other : vexa::sim::loaded_parts_in_order())
                for (tag_t tag : other->instances)
                    if (Instance *i = vexa::sim::find_instance(tag))
                        used = used || vexa::sim::same_part_name(
                                           vexa::sim::resolve_part_file(other->name, i->part_file), c->name);
            if (used)
                continue;
            for (tag_t tag : c->instances)
                if (Instance *i = vexa::sim::find_instance(tag))
                    children.push_back(vexa::sim::resolve_part_file(c->name, i->part_file));
            vexa::sim::unload_part(c->tag);
        }
        return HX_OK;
    });
}

HX_API int HX_ATTR_ask_part_attrs_in_file(const char *file_name, int *count, HX_ATTR_part_attr_t **attributes)
{
    return host_call("HX_ATTR_ask_part_attrs_in_file", [&]() -> int {
        if (!count || !attributes)
            return HX_ERR_BAD_ARGUMENT;
        *count = 0;
        *attributes = nullptr;
        if (!file_name || !*file_name)
            return HX_ERR_BAD_ARGUMENT;
        std::vector<HX_ATTR_part_attr_t> found;
        if (int s = vexa::sim::read_file_attributes(file_name, found))
            return s;
        if (found.empty())
            return HX_OK;
        auto *out =
            static_cast<HX_ATTR_part_attr_t *>(HX_allocate_memory(found.size() * sizeof found[0], nullptr));
        if (!out)
            return HX_ERR_NO_MEMORY;
        std::copy(found.begin(), found.end(), out);
        *count = static_cast<int>(found.size());
        *attributes = out;
        return HX_OK;
    });
}

} // extern "C"
