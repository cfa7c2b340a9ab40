// Part files of the headless host: exact round trips, all-or-nothing opens
// with a load status that names what failed, refused component cycles,
// atomic saves, partial loading and attributes read from files.
#include "host_test.h"
#include "project_files.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_memory.h"
#include "hx_model.h"
#include "hx_objects.h"
#include "hx_parts.h"

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

using cvstv_test::ProjectCopy;
using cvstv_test::read_text;
using cvstv_test::ScratchDir;
using cvstv_test::write_text;
using vexa::sim::Entry;

namespace {

void free_status(HX_PART_load_status_t &status)
{
    for (int i = 0; i < status.n_parts; ++i)
        HX_free(status.file_names[i]);
    HX_free(status.file_names);
    HX_free(status.statuses);
    status = HX_PART_load_status_t{};
}

// A minimal valid part file with the given members after "units".
std::string part_text(const std::string &members = {})
{
    return "{\"format\": \"vexa-part\", \"version\": 1, \"units\": \"metric\"" +
           (members.empty() ? std::string() : ", " + members) + "}";
}

std::string component(int id, const std::string &file)
{
    return "{\"id\": " + std::to_string(id) + ", \"part\": \"" + file +
           "\", \"origin\": [0, 0, 0], \"orientation\": [1, 0, 0, 0, 1, 0]}";
}

} // namespace

class PartFiles : public HostTest {};

TEST_F(PartFiles, TheExampleProjectLoadsWholeAndSavesByteForByte)
{
    ProjectCopy project;
    auto opened = vexa::sim::open_part(project.top());
    ASSERT_EQ(opened.status, HX_OK);
    EXPECT_TRUE(opened.failures.empty());
    std::vector<std::string> names;
    for (tag_t part : vexa::sim::loaded_parts())
        names.push_back(std::filesystem::path(vexa::sim::part_name(part)).stem().string());
    EXPECT_EQ(names, (std::vector<std::string>{"P100_top", "P100_layout", "P100_moldbase", "P100_prod",
                                               "screw_M8", "P100_shrink", "P100_core", "P100_cavity"}))
        << "top first, then components breadth-first, each part once";
    for (tag_t part : vexa::sim::loaded_parts()) {
        std::string file = vexa::sim::part_name(part);
        std::string original = read_text(file);
        EXPECT_EQ(vexa::sim::part_file_text(part), original) << file;
        ASSERT_EQ(vexa::sim::save_part(part), HX_OK);
        EXPECT_EQ(read_text(file), original) << "saving an unchanged part rewrites the same bytes: " << file;
    }
}

TEST_F(PartFiles, EveryKindOfContentSurvivesSaveAndOpen)
{
    ScratchDir dir;
    tag_t child = vexa::sim::create_part(dir.file("child.prt"), vexa::sim::units_english);
    tag_t child_body = vexa::sim::create_body(child, {0, 0, 0, 10, 20, 30}, "CHILD");
    ASSERT_EQ(vexa::sim::save_part(child), HX_OK);

    tag_t part = vexa::sim::create_part(dir.file("all.prt"));
    tag_t body = vexa::sim::create_body(part, {-1, -2, -3, 1, 2, 3}, "BODY");
    tag_t sheet = vexa::sim::create_body(part, {0, 0, 0, 5, 5, 0}, "SHEET", vexa::sim::body_sheet);
    tag_t face = vexa::sim::create_face(body, {-1, -2, 3, 1, 2, 3}, "TOP");
    vexa::sim::create_csys(part, {1, 2, 3, 0, 1, 0, -1, 0, 0}, "CS");
    tag_t feature = vexa::sim::create_feature(part, "BLOCK", "BLOCK(1)", {face});
    vexa::sim::set_feature_bodies(feature, {body});
    vexa::sim::set_expression(part, "p0", 0.1);
    tag_t rule = vexa::sim::set_expression_formula(part, "p1", "2*p0 + sqrt(16)");
    ASSERT_NE(rule, 0u);
    ASSERT_EQ(HX_MODL_set_suppress_exp(feature, rule), HX_OK);
    tag_t instance = vexa::sim::add_component(part, "child.prt", "KID", "", {1, 2, 3}, {0, 1, 0, -1, 0, 0});
    ASSERT_NE(instance, 0u);
    vexa::sim::set_component_suppressed(instance, true);
    tag_t refset = vexa::sim::create_reference_set(part, "TRUE", {body, instance});
    vexa::sim::create_group(part, "G", {body, sheet});
    tag_t linked = vexa::sim::create_linked_body(part, child_body);
    ASSERT_NE(linked, 0u);
    ASSERT_TRUE(vexa::sim::set_string_attribute(part, "KT_TOP", "yes, \"quoted\" \xC3\xA9"));
    ASSERT_TRUE(vexa::sim::set_integer_attribute(body, "COUNT", -7));
    ASSERT_TRUE(vexa::sim::set_real_attribute(feature, "RATIO", 0.1 + 0.2));
    ASSERT_TRUE(vexa::sim::set_string_attribute(instance, "KT_PROD", "P100"));
    ASSERT_TRUE(vexa::sim::set_string_attribute(refset, "NOTE", ""));
    ASSERT_EQ(HX_ATTR_assign_reference(part, "MAIN", body), HX_OK);
    ASSERT_EQ(HX_ATTR_assign_time(part, "WHEN", 1700000000L), HX_OK);
    tag_t temporary = 0;
    const double origin[3] = {0, 0, 0}, axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    ASSERT_EQ(HX_CSYS_create_temp_csys(origin, axes, &temporary), HX_OK);

    std::string saved = vexa::sim::part_file_text(part);
    ASSERT_EQ(vexa::sim::save_part(part), HX_OK);
    EXPECT_EQ(read_text(dir.file("all.prt")), saved);
    EXPECT_EQ(saved.find("\"temporary\""), std::string::npos);

    vexa::sim::reset();
    auto opened = vexa::sim::open_part(dir.file("all.prt"));
    ASSERT_EQ(opened.status, HX_OK);
    EXPECT_EQ(vexa::sim::part_file_text(opened.part), saved) << "what was saved is read back exactly";
    EXPECT_EQ(vexa::sim::loaded_parts().size(), 2u) << "the component was opened with its parent";

    HX_ATTR_value_t value{};
    ASSERT_EQ(HX_ATTR_read_value(opened.part, "MAIN", HX_ATTR_ANY, &value), HX_OK);
    ASSERT_EQ(value.type, HX_ATTR_REFERENCE);
    char name[HX_OBJ_NAME_SIZE + 1];
    ASSERT_EQ(HX_OBJ_ask_name(value.value.reference, name), HX_OK);
    EXPECT_STREQ(name, "BODY") << "a reference attribute names the same object after the round trip";
    ASSERT_EQ(HX_ATTR_read_value(opened.part, "KT_TOP", HX_ATTR_STRING, &value), HX_OK);
    EXPECT_STREQ(value.value.string, "yes, \"quoted\" \xC3\xA9");
    HX_free(value.value.string);
}

TEST_F(PartFiles, ABrokenTopFileLoadsNothingAndTheLoadStatusNamesIt)
{
    ScratchDir dir;
    const std::string long_value(133, 'v');
    struct Case {
        const char *what;
        std::string text;
        int status;
        const char *reason;
    } cases[] = {
        {"empty", "", HX_ERR_PART_FILE, "not a JSON document"},
        {"truncated", part_text().substr(0, 30), HX_ERR_PART_FILE, "not a JSON document"},
        {"not an object", "[1, 2]", HX_ERR_PART_FILE, "not a JSON object"},
        {"other format", "{\"format\": \"other\", \"version\": 1}", HX_ERR_PART_FILE, "not a part file"},
        {"newer version", "{\"format\": \"vexa-part\", \"version\": 2, \"units\": \"metric\", \"new\": 1}",
         HX_ERR_PART_VERSION, "format version"},
        {"unknown member", part_text("\"colour\": 3"), HX_ERR_PART_FILE, "unknown member \"colour\""},
        {"bad units", "{\"format\": \"vexa-part\", \"version\": 1, \"units\": \"cubits\"}", HX_ERR_PART_FILE,
         "\"units\""},
        {"id twice", part_text("\"objects\": [{\"id\": 1, \"type\": 2}, {\"id\": 1, \"type\": 3}]"),
         HX_ERR_PART_FILE, "used twice"},
        {"face of nothing",
         part_text("\"objects\": [{\"id\": 1, \"type\": 70, \"subtype\": 2, \"body\": 9}]"), HX_ERR_PART_FILE,
         "which is no body"},
        {"attribute too long",
         part_text("\"attributes\": [{\"title\": \"T\", \"type\": \"string\", \"value\": \"" + long_value +
                   "\"}]"),
         HX_ERR_PART_FILE, "longer than 132"},
        {"malformed formula",
         part_text("\"expressions\": [{\"name\": \"a\", \"formula\": \"1+*2\", \"value\": 0}]"),
         HX_ERR_PART_FILE, "malformed"},
        {"unknown suppression",
         part_text("\"features\": [{\"id\": 1, \"type\": \"BLOCK\", \"suppression_expression\": \"x\"}]"),
         HX_ERR_PART_FILE, "not an expression"},
        {"deep", part_text("\"attributes\": " + std::string(40, '[') + std::string(40, ']')),
         HX_ERR_PART_FILE, "nested too deeply"},
        {"box of five", part_text("\"objects\": [{\"id\": 1, \"type\": 70, \"box\": [1, 2, 3, 4, 5]}]"),
         HX_ERR_PART_FILE, "not 6 numbers"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        vexa::sim::reset();
        std::string file = dir.file("broken.prt");
        write_text(file, c.text);
        tag_t part = 1;
        HX_PART_load_status_t status{};
        EXPECT_EQ(HX_PART_open(file.c_str(), &part, &status), c.status);
        EXPECT_EQ(part, 0u);
        EXPECT_TRUE(vexa::sim::loaded_parts().empty()) << "nothing is loaded half-way";
        EXPECT_EQ(status.failed, c.status);
        ASSERT_EQ(status.n_parts, 1);
        EXPECT_STREQ(status.file_names[0], file.c_str());
        EXPECT_EQ(status.statuses[0], c.status);
        free_status(status);
        auto log = vexa::sim::texts(Entry::syslog);
        ASSERT_FALSE(log.empty());
        EXPECT_NE(log.back().find(c.reason), std::string::npos) << log.back();
        EXPECT_EQ(message_boxes().size(), 1u) << "the loud open shows what failed";
        EXPECT_EQ(read_text(file), c.text) << "a file that failed to open is left as it was";
    }
}

TEST_F(PartFiles, MissingAndBrokenComponentsAreListedAndTheRestLoads)
{
    ScratchDir dir;
    write_text(dir.file("top.prt"),
               part_text("\"components\": [" + component(1, "good.prt") + ", " + component(2, "gone.prt") +
                         ", " + component(3, "bad.prt") + ", " + component(4, "good.prt") + "]"));
    write_text(dir.file("good.prt"), part_text());
    write_text(dir.file("bad.prt"), "{\"format\": \"vexa-part\"");

    tag_t part = 0;
    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_PART_open_quiet(dir.file("top.prt").c_str(), &part, &status), HX_OK);
    EXPECT_NE(part, 0u);
    EXPECT_EQ(status.failed, 0);
    ASSERT_EQ(status.n_parts, 2);
    EXPECT_STREQ(status.file_names[0], (dir.path().string() + "/gone.prt").c_str());
    EXPECT_EQ(status.statuses[0], HX_ERR_NOT_FOUND);
    EXPECT_STREQ(status.file_names[1], (dir.path().string() + "/bad.prt").c_str());
    EXPECT_EQ(status.statuses[1], HX_ERR_PART_FILE);
    free_status(status);
    EXPECT_EQ(vexa::sim::loaded_parts().size(), 2u) << "the top and the good component (once)";
    EXPECT_TRUE(message_boxes().empty()) << "a quiet open shows nothing";

    auto children = vexa::sim::occurrence_children(vexa::sim::root_occurrence(part));
    ASSERT_EQ(children.size(), 4u) << "unloaded components still have occurrences";
    EXPECT_NE(vexa::sim::occurrence_part(children[0]), 0u);
    EXPECT_EQ(vexa::sim::occurrence_part(children[1]), 0u);
    EXPECT_EQ(vexa::sim::occurrence_part(children[2]), 0u);
    EXPECT_EQ(vexa::sim::occurrence_part(children[3]), vexa::sim::occurrence_part(children[0]));
}

TEST_F(PartFiles, APartThatWouldContainItselfIsNotOpened)
{
    ScratchDir dir;
    write_text(dir.file("a.prt"), part_text("\"components\": [" + component(1, "b.prt") + "]"));
    write_text(dir.file("b.prt"), part_text("\"components\": [" + component(1, "c.prt") + "]"));
    write_text(dir.file("c.prt"), part_text("\"components\": [" + component(1, "a.prt") + "]"));
    write_text(dir.file("self.prt"), part_text("\"components\": [" + component(1, "self.prt") + "]"));

    for (const char *top : {"a.prt", "self.prt"}) {
        SCOPED_TRACE(top);
        tag_t part = 0;
        HX_PART_load_status_t status{};
        EXPECT_EQ(HX_PART_open_quiet(dir.file(top).c_str(), &part, &status), HX_ERR_CYCLE);
        EXPECT_EQ(status.failed, HX_ERR_CYCLE);
        ASSERT_EQ(status.n_parts, 1);
        EXPECT_EQ(status.statuses[0], HX_ERR_CYCLE);
        free_status(status);
        EXPECT_TRUE(vexa::sim::loaded_parts().empty());
    }

    // A loaded part cannot become a component of a part below it either.
    tag_t b = vexa::sim::open_part(dir.file("b.prt").c_str()).part;
    EXPECT_EQ(b, 0u) << "b reaches a, which reaches b";
    write_text(dir.file("c.prt"), part_text());
    auto opened = vexa::sim::open_part(dir.file("a.prt"));
    ASSERT_EQ(opened.status, HX_OK);
    tag_t c = HX_PART_ask_part_tag(dir.file("c.prt").c_str());
    ASSERT_EQ(HX_ASSEM_set_work_part(c), HX_OK);
    tag_t instance = 0;
    HX_PART_load_status_t status{};
    const double origin[3] = {0, 0, 0}, orientation[6] = {1, 0, 0, 0, 1, 0};
    EXPECT_EQ(HX_ASSEM_add_part_to_assembly(c, "a.prt", nullptr, nullptr, origin, orientation, -1, &instance,
                                            &status),
              HX_ERR_CYCLE);
    EXPECT_EQ(instance, 0u);
    EXPECT_EQ(vexa::sim::add_component(opened.part, "a.prt"), 0u) << "nor a part of itself";
}

TEST_F(PartFiles, SavingWritesTheWholeFileOrNothing)
{
    ScratchDir dir;
    tag_t part = vexa::sim::create_part(dir.file("p.prt"));
    ASSERT_EQ(vexa::sim::save_part(part), HX_OK);
    std::string before = read_text(dir.file("p.prt"));
    vexa::sim::set_string_attribute(part, "NEW", "value");

    vexa::sim::fail_call("HX_PART_save", HX_ERR_IO);
    EXPECT_EQ(HX_PART_save(), HX_ERR_IO);
    EXPECT_EQ(read_text(dir.file("p.prt")), before);
    vexa::sim::clear_call_failures();

    // The directory becomes unwritable: the old file stays whole, no
    // temporary file is left behind.
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    int refused = HX_PART_save();
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_EQ(refused, HX_ERR_IO);
        EXPECT_EQ(read_text(dir.file("p.prt")), before);
    }
    EXPECT_EQ(HX_PART_save_as((dir.path() / "no_such_dir" / "p.prt").string().c_str()), HX_ERR_IO);
    EXPECT_EQ(vexa::sim::part_name(part), dir.file("p.prt")) << "a failed save-as keeps the name";

    ASSERT_EQ(HX_PART_save(), HX_OK);
    EXPECT_NE(read_text(dir.file("p.prt")).find("\"NEW\""), std::string::npos);
    std::size_t files = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir.path()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1u) << "no temporary file remains";

    tag_t other = vexa::sim::create_part(dir.file("q.prt"));
    (void)other;
    EXPECT_EQ(HX_PART_save_as(dir.file("q.prt").c_str()), HX_ERR_EXISTS) << "a loaded part's name is taken";
}

TEST_F(PartFiles, SaveAsElsewhereKeepsFindingTheComponents)
{
    ProjectCopy project;
    ScratchDir other;
    tag_t top = vexa::sim::open_part(project.top()).part;
    ASSERT_NE(top, 0u);
    ASSERT_EQ(HX_ASSEM_set_work_part(top), HX_OK);
    ASSERT_EQ(HX_PART_save_as(other.file("copy.prt").c_str()), HX_OK);
    EXPECT_EQ(vexa::sim::part_name(top), other.file("copy.prt"));

    vexa::sim::reset();
    auto reopened = vexa::sim::open_part(other.file("copy.prt"));
    ASSERT_EQ(reopened.status, HX_OK);
    EXPECT_TRUE(reopened.failures.empty()) << "components are named where they are";
    EXPECT_EQ(vexa::sim::loaded_parts().size(), 8u);
}

TEST_F(PartFiles, PartiallyLoadedComponentsHoldBackTheirFeatures)
{
    ProjectCopy project;
    ASSY_assy_options_t options{};
    ASSERT_EQ(ASSY_ask_assy_options(&options), HX_OK);
    options.option[ASSY_OPTION_LOAD_PARTIALLY] = 1;
    ASSERT_EQ(ASSY_set_assy_options(&options), HX_OK);
    tag_t top = vexa::sim::open_part(project.top()).part;
    tag_t core = HX_PART_ask_part_tag("P100_core");
    ASSERT_NE(core, 0u);
    int fully = -1;
    HX_PART_is_fully_loaded(top, &fully);
    EXPECT_EQ(fully, 1) << "the part opened is loaded fully";
    HX_PART_is_fully_loaded(core, &fully);
    EXPECT_EQ(fully, 0);
    tag_t feature = 0;
    EXPECT_EQ(HX_MODL_cycle_feats(core, &feature), HX_ERR_NOT_FULLY_LOADED);
    ASSERT_EQ(HX_PART_load_fully(core), HX_OK);
    EXPECT_EQ(HX_MODL_cycle_feats(core, &feature), HX_OK);
    EXPECT_NE(feature, 0u);

    options.option[ASSY_OPTION_LOAD_COMPONENTS] = 0;
    ASSY_set_assy_options(&options);
    vexa::sim::reset();
    ASSY_set_assy_options(&options);
    vexa::sim::open_part(project.top());
    EXPECT_EQ(vexa::sim::loaded_parts().size(), 1u) << "components are not opened when the options say so";
}

TEST_F(PartFiles, AttributesAreReadFromAFileWithoutLoadingIt)
{
    ProjectCopy project;
    int count = 0;
    HX_ATTR_part_attr_t *attributes = nullptr;
    ASSERT_EQ(HX_ATTR_ask_part_attrs_in_file(project.top().c_str(), &count, &attributes), HX_OK);
    EXPECT_TRUE(vexa::sim::loaded_parts().empty());
    ASSERT_EQ(count, 6);
    EXPECT_STREQ(attributes[0].title, "KT_TOP");
    EXPECT_STREQ(attributes[2].title, "KT_PROD_LIST");
    EXPECT_STREQ(attributes[2].value, "phone_cover");
    EXPECT_STREQ(attributes[4].title, "PART_NUMBER");
    EXPECT_EQ(attributes[4].type, HX_ATTR_INTEGER);
    EXPECT_STREQ(attributes[4].value, "7");
    HX_free(attributes);
    EXPECT_EQ(HX_ATTR_ask_part_attrs_in_file(project.file("nothing.prt").c_str(), &count, &attributes),
              HX_ERR_NOT_FOUND);
    EXPECT_EQ(attributes, nullptr);
}

TEST_F(PartFiles, RelativeNamesUseTheDefaultDirectoryAndCloseSparesWhatOthersUse)
{
    ProjectCopy project;
    ASSERT_EQ(HX_PART_set_default_directory(project.path().string().c_str()), HX_OK);
    char directory[HX_MAX_FSPEC_SIZE + 1];
    HX_PART_ask_default_directory(directory);
    EXPECT_EQ(directory, project.path().string());
    tag_t top = 0;
    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_PART_open("P100_top.prt", &top, &status), HX_OK);
    EXPECT_EQ(vexa::sim::part_name(top), project.top());
    EXPECT_EQ(HX_PART_ask_display_part(), top);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top);

    tag_t user = vexa::sim::create_part(project.file("user.prt"));
    ASSERT_NE(vexa::sim::add_component(user, "screw_M8.prt", "SPARE"), 0u);
    tag_t screw = HX_PART_ask_part_tag("screw_M8");
    ASSERT_EQ(HX_PART_close(top, 1), HX_OK);
    EXPECT_EQ(vexa::sim::loaded_parts(), (std::vector<tag_t>{screw, user}))
        << "the screw is still a component of user";
    EXPECT_EQ(HX_PART_ask_display_part(), 0u);
    EXPECT_EQ(HX_PART_close(user, 0), HX_OK);
    EXPECT_EQ(vexa::sim::loaded_parts(), std::vector<tag_t>{screw});
    EXPECT_EQ(HX_PART_close(user, 0), HX_ERR_NOT_FOUND);
    EXPECT_EQ(vexa::sim::kind_of(top), vexa::sim::ObjectKind::none);
}
