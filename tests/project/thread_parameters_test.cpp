// Thread parameters: a part's screw diameter and pitch looked up in the
// kit's thread-standard workbook, in a form's sheet, converted to the units
// of the assembly; the work and displayed part restored.
#include "project_test_support.h"

#include "cvstvshare/project_lookups.h"

#include "hx_memory.h"
#include "hx_thread.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

std::optional<std::string> text(const char *member)
{
    return member ? std::optional<std::string>(member) : std::nullopt;
}

} // namespace

class ThreadParameters : public ProjectTest {
  protected:
    void TearDown() override
    {
        release();
        ProjectTest::TearDown();
    }
    void release()
    {
        for (char **m :
             {&r.length, &r.form, &r.callout, &r.major_dia, &r.minor_dia, &r.tapped_dia, &r.pitch}) {
            HX_free(*m);
            *m = nullptr;
        }
    }
    // A part of the host's units (1 metric, 2 English) with the expressions.
    static tag_t screw_part(int host_units, double diameter, double pitch)
    {
        tag_t part = vexa::sim::create_part("C:\\p\\screw" + std::to_string(diameter) + ".prt", host_units);
        vexa::sim::set_expression(part, "SCREW_DIA", diameter);
        vexa::sim::set_expression(part, "THREAD_PITCH", pitch);
        return part;
    }
    int ask(int units, tag_t part, const char *form = nullptr)
    {
        release();
        return CVSTVSHARE_get_thread_parameters(units, part, form != nullptr, form, &r);
    }
    void expect_empty()
    {
        for (char *m : {r.length, r.form, r.callout, r.major_dia, r.minor_dia, r.tapped_dia, r.pitch})
            EXPECT_EQ(m, nullptr);
    }
    HX_MODL_symb_thread_data_s r{};
};

TEST_F(ThreadParameters, UnifiedThreadInAMetricAssemblyIsConverted)
{
    tag_t part = screw_part(vexa::sim::units_metric, 0.25, 0.05);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, part, "Unified"), 0);
    EXPECT_EQ(text(r.form), "Unified");
    EXPECT_EQ(text(r.callout), "1/4-20 UNC");
    EXPECT_EQ(text(r.major_dia), "6.350000");
    EXPECT_EQ(text(r.minor_dia), "4.792980");
    EXPECT_EQ(text(r.pitch), "1.270000");
    EXPECT_EQ(text(r.tapped_dia), "5.105400");
    EXPECT_EQ(text(r.length), "9.525000");
}

TEST_F(ThreadParameters, MetricThreadInAnEnglishAssemblyIsConverted)
{
    tag_t part = screw_part(vexa::sim::units_english, 10, 1.5);
    EXPECT_EQ(ask(CV_THREAD_UNITS_ENGLISH, part, "Metric"), 0);
    EXPECT_EQ(text(r.callout), "M10x1.5");
    EXPECT_EQ(text(r.pitch), "0.059055");
    EXPECT_EQ(text(r.major_dia), "0.393701");
}

TEST_F(ThreadParameters, FormFollowsTheCustomerDefault)
{
    tag_t inch = screw_part(vexa::sim::units_english, 8, 1.25);
    vexa::sim::set_int_preference("CV_Pocket_ThreadForm", 1);
    EXPECT_EQ(ask(CV_THREAD_UNITS_ENGLISH, inch), 0);
    EXPECT_EQ(text(r.form), "Metric");
    EXPECT_EQ(text(r.major_dia), "0.314961"); // millimetres turned into inches

    vexa::sim::set_int_preference("CV_Pocket_ThreadForm", 2);
    tag_t mm = screw_part(vexa::sim::units_metric, 8, 1.25);
    vexa::sim::set_display_part(mm);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, mm), 0);
    EXPECT_EQ(text(r.form), "Metric");
    EXPECT_EQ(text(r.major_dia), "8"); // as the sheet has it: no conversion

    vexa::sim::set_int_preference("CV_Pocket_ThreadForm", 7);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, mm), -1); // 8 is no Unified diameter
    expect_empty();

    // The progressive die asks the key in upper case, which the host holds
    // (and finds the workbook in its own kit).
    CVSTWSHARE_set_wizard_type(2);
    vexa::sim::set_env("STRIVO_DIR", host_form(built_kit / "cavora"));
    vexa::sim::set_int_preference("STV_POCKET_THREADFORM", 1);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, mm), 0);
    EXPECT_EQ(text(r.form), "Metric");
}

TEST_F(ThreadParameters, PitchNotInTheSheetTakesTheDiametersFirstRecord)
{
    tag_t part = screw_part(vexa::sim::units_metric, 8, 0.9);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, part, "Metric"), 0);
    EXPECT_EQ(text(r.callout), "M8x1.25");
    tag_t fine = screw_part(vexa::sim::units_metric, 8, 1);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, fine, "Metric"), 0);
    EXPECT_EQ(text(r.callout), "M8x1");
}

TEST_F(ThreadParameters, MissingDiameterFormOrExpressionsGiveMinusOne)
{
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 7, 1), "Metric"), -1);
    expect_empty();
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 8, 1), "Whitworth"), -1);
    expect_empty();
    tag_t bare = vexa::sim::create_part("C:\\p\\bare.prt");
    vexa::sim::set_expression(bare, "SCREW_DIA", 8);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, bare, "Metric"), -1);
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, 0, "Metric"), -1);
    EXPECT_EQ(ask(2, screw_part(vexa::sim::units_metric, 8, 1), "Metric"), -1);            // units are 0 or 1
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 6, 1)), -1); // no form default
    EXPECT_EQ(CVSTVSHARE_get_thread_parameters(0, bare, 1, "Metric", nullptr), -1);
    EXPECT_EQ(CVSTVSHARE_get_thread_parameters(0, screw_part(1, 8, 1), 1, nullptr, &r), -1);
    expect_empty();
}

TEST_F(ThreadParameters, WorkAndDisplayedPartAreRestored)
{
    tag_t assembly = vexa::sim::create_part("C:\\p\\top.prt", vexa::sim::units_english);
    tag_t other = vexa::sim::create_part("C:\\p\\other.prt", vexa::sim::units_english);
    vexa::sim::set_work_part(other);
    tag_t metric = screw_part(vexa::sim::units_metric, 0.25, 0.05);
    long displayed = vexa::sim::call_count("HX_PART_set_display_part");
    // A metric part in an English assembly is made the displayed part.
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, metric, "Unified"), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_PART_set_display_part"), displayed + 2);
    EXPECT_EQ(text(r.major_dia), "0.25"); // the assembly is English: inch values as they are
    EXPECT_EQ(vexa::sim::display_part(), assembly);
    EXPECT_EQ(vexa::sim::work_part(), other);

    // A failing switch leaves both as they were.
    vexa::sim::fail_call("HX_ASSEM_set_work_part", HX_ERR_INTERNAL, 0, 1);
    tag_t inch = screw_part(vexa::sim::units_english, 0.25, 0.05);
    EXPECT_EQ(ask(CV_THREAD_UNITS_ENGLISH, inch, "Unified"), -1);
    EXPECT_EQ(vexa::sim::display_part(), assembly);
    EXPECT_EQ(vexa::sim::work_part(), other);
}

TEST_F(ThreadParameters, SheetLayoutsTheLookUpMeets)
{
    write_xs4("cavora/templates/thread_standard_dat.xs4",
              {{"Metric",
                {{"SCREW_DIA", "THREAD_PITCH", "CALLOUT", "MAJOR_DIA", "MINOR_DIA", "PITCH", "TAP_DRILL_DIA"},
                 {"6", "1", "M6", "6", "4.917", "1", "5"}}},
               {"Unified",
                {{"SCREW_DIA", "THREAD_PITCH", "CALLOUT", "MAJOR_DIA", "MINOR_DIA", "PITCH", "TAP_DRILL_DIA",
                  "DEPTH"},
                 {"0.25", "0.05", "1/4-20", "0.25", "0.1887", "0.05", "0.201", ""}}},
               {"Empty", {{"SCREW_DIA", "THREAD_PITCH", "CALLOUT"}}}});
    // The kit root has no workbook; its "templates" has it (the .xls name is
    // what is looked for: give it one).
    fs::copy_file(scratch() / "cavora" / "templates" / "thread_standard_dat.xs4",
                  scratch() / "cavora" / "templates" / "thread_standard_dat.xls");
    vexa::sim::set_env("CAVORA_DIR", host_form(scratch() / "cavora"));

    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 6, 1), "Metric"), 0);
    EXPECT_EQ(text(r.length), ""); // no DEPTH field
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 0.25, 0.05), "Unified"), 0);
    EXPECT_EQ(text(r.length), "0.000000"); // an empty cell reads "Hide", converted
    tag_t inch = screw_part(vexa::sim::units_english, 0.25, 0.05);
    vexa::sim::set_display_part(inch); // an English assembly
    EXPECT_EQ(ask(CV_THREAD_UNITS_ENGLISH, inch, "Unified"), 0);
    EXPECT_EQ(text(r.length), "Hide"); // and as it reads otherwise
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 6, 1), "Empty"), 0);
    expect_empty(); // a sheet without records: 0 and nothing filled

    fs::remove(scratch() / "cavora" / "templates" / "thread_standard_dat.xls");
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 6, 1), "Metric"), -1);
}

TEST_F(ThreadParameters, GivenFormIsCutAt49Characters)
{
    std::string form = "Fine" + std::string(60, 'x');
    Rows rows = {{"SCREW_DIA", "THREAD_PITCH", "CALLOUT"}, {"8", "1", "M8x1 fine"}};
    write_xs4("cavora/thread_standard_dat.xs4", {{form.substr(0, 49), rows}});
    fs::copy_file(scratch() / "cavora" / "thread_standard_dat.xs4",
                  scratch() / "cavora" / "thread_standard_dat.xls");
    vexa::sim::set_env("CAVORA_DIR", host_form(scratch() / "cavora"));
    EXPECT_EQ(ask(CV_THREAD_UNITS_METRIC, screw_part(vexa::sim::units_metric, 8, 1), form.c_str()), 0);
    EXPECT_EQ(text(r.form), form.substr(0, 49));
    EXPECT_EQ(text(r.callout), "M8x1 fine");
}

TEST_F(ThreadParameters, AllocationFailuresLeaveTheRecordEmpty)
{
    tag_t part = screw_part(vexa::sim::units_metric, 0.25, 0.05);
    for (long n = 0;; ++n) {
        vexa::sim::fail_allocations_after(n);
        int status = ask(CV_THREAD_UNITS_METRIC, part, "Unified");
        vexa::sim::fail_allocations_after(-1);
        if (status == 0)
            break;
        expect_empty();
        ASSERT_LT(n, 5000);
    }
    EXPECT_EQ(text(r.major_dia), "6.350000");
}
