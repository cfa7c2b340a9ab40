// The work part's features in a dialog list, highlighted through the
// dialog's selection, and objects moved onto layer 255.
#include "ui_test.h"

#include "cvstvshare/dialog_items.h"
#include "cvstvshare/selection.h"

#include "hx_dialogs.h"
#include "hx_memory.h"
#include "hx_objects.h"

#include <string>
#include <vector>

using vexa::sim::Entry;
using Texts = std::vector<std::string>;

class FeatureDisplay : public UiTest {
  protected:
    void SetUp() override
    {
        UiTest::SetUp();
        part = vexa::sim::create_part("/p/core.prt");
        d = open("every_item.dlg");
    }

    // A feature with `faces` new faces; returns the feature, faces in out.
    tag_t feature(const std::string &type, const std::string &name, int faces,
                  std::vector<tag_t> *out = nullptr)
    {
        std::vector<tag_t> made;
        for (int i = 0; i < faces; ++i)
            made.push_back(vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_FACE));
        if (out)
            *out = made;
        return vexa::sim::create_feature(part, type, name, made);
    }

    std::vector<tag_t> selected() const { return vexa::sim::selected_objects(d); }

    tag_t part = 0;
    int d = 0;
};

TEST_F(FeatureDisplay, TheListShowsFeatureNamesButNotSketchesDatumsBlendsOrChamfers)
{
    feature("SKETCH", "SKETCH(1)", 0);
    feature("BLOCK", "BLOCK(2)", 6);
    feature("ABSOLUTE_DATUM_PLANE", "DATUM(3)", 0);
    feature("BLEND", "BLEND(4)", 1);
    feature("CHAMFER", "CHAMFER(5)", 1);
    feature("EXTRUDE", std::string(120, 'x'), 2);
    tag_t hole = feature("HOLE", "HOLE(7)", 1);
    tag_t assembly = vexa::sim::create_part("/p/top.prt");
    vexa::sim::set_work_part(assembly);
    HX_OBJ_set_name(vexa::sim::create_occurrence(assembly, hole), "OCC");
    vexa::sim::set_work_part(part);

    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), 0);
    EXPECT_EQ(item(d, "PARTS").entries, (Texts{"BLOCK(2)", std::string(99, 'x'), "HOLE(7)"}))
        << "names are cut at 99 characters";

    vexa::sim::set_work_part(assembly);
    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), 0);
    EXPECT_EQ(item(d, "PARTS").entries, (Texts{"HOLE(7)"})) << "an occurrence shows its prototype";
}

TEST_F(FeatureDisplay, OnlySkippedFeaturesGiveAnEmptyListAndTooManyAreCut)
{
    feature("SKETCH", "SKETCH(1)", 0);
    feature("CHAMFER", "CHAMFER(2)", 1);
    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), 0);
    EXPECT_TRUE(item(d, "PARTS").entries.empty());

    vexa::sim::set_listing_open(true);
    for (int i = 0; i < 2501; ++i)
        feature("BLOCK", "B" + std::to_string(i), 0);
    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), 0);
    Texts entries = item(d, "PARTS").entries;
    EXPECT_EQ(entries.size(), 2500u);
    EXPECT_EQ(entries.back(), "B2499");
    EXPECT_EQ(vexa::sim::listing_text(), "Too many features");
}

TEST_F(FeatureDisplay, WithoutAWorkPartOrWhenCyclingFailsTheUserIsTold)
{
    vexa::sim::set_work_part(0);
    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), -1);
    EXPECT_EQ(STV_FEAT_highlight(d, "BLOCK(1)", 1), -1);
    EXPECT_EQ(STV_clear_highlight(d), -1);
    EXPECT_EQ(message_boxes(), (Texts{"No active part !", "No active part", "No active part"}));

    vexa::sim::set_work_part(part);
    feature("BLOCK", "BLOCK(1)", 1);
    vexa::sim::fail_call("HX_OBJ_cycle_objs_in_part", HX_ERR_NOT_FOUND);
    EXPECT_EQ(STV_FEAT_display(d, "PARTS"), -1);
    EXPECT_EQ(STV_FEAT_highlight(d, "BLOCK(1)", 1), -1);
    EXPECT_EQ(message_boxes().back(), "Object or file not found");
    EXPECT_EQ(message_boxes().size(), 5u);
    EXPECT_EQ(item(d, "PARTS").entries, (Texts{"top", "core", "cavity"}))
        << "a failed listing leaves the list alone";
}

TEST_F(FeatureDisplay, HighlightingAddsAndRemovesAFeaturesFacesInTheSelection)
{
    std::vector<tag_t> block_faces, hole_faces;
    feature("BLOCK", "BLOCK(1)", 3, &block_faces);
    feature("HOLE", "HOLE(2)", 2, &hole_faces);

    EXPECT_EQ(STV_FEAT_highlight(d, "HOLE(2)", 1), 0);
    EXPECT_EQ(selected(), hole_faces);
    EXPECT_TRUE(highlighted(hole_faces[0]) && highlighted(hole_faces[1]));
    EXPECT_EQ(vexa::sim::texts(Entry::status).back(), "HOLE(2)");
    EXPECT_EQ(STV_FEAT_highlight(d, "BLOCK(1)", 1), 0);
    EXPECT_EQ(selected().size(), 5u);
    EXPECT_EQ(STV_FEAT_highlight(d, "HOLE(2)", 0), 0);
    EXPECT_EQ(selected(), block_faces);
    EXPECT_FALSE(highlighted(hole_faces[0]));
    EXPECT_EQ(STV_FEAT_highlight(d, "hole(2)", 1), -1) << "names compare exactly";
    EXPECT_EQ(STV_FEAT_highlight(d + 50, "HOLE(2)", 1), -1);

    tag_t *objects = nullptr;
    int count = 0;
    EXPECT_EQ(CVSTVSHARE_ask_objects_in_selection(d, &count, &objects), 0);
    EXPECT_EQ(count, 3);
    HX_free(objects);
    EXPECT_EQ(STV_clear_selection(d), 0);
    EXPECT_TRUE(selected().empty());
    EXPECT_FALSE(highlighted(block_faces[2])) << "emptying the selection unhighlights";
    EXPECT_EQ(CVSTVSHARE_ask_objects_in_selection(d, &count, &objects), -1);
    EXPECT_EQ(objects, nullptr);
    EXPECT_EQ(CVSTVSHARE_clear_dialog_selection(d + 50), HX_STYLER_ERR_NO_DIALOG);
}

TEST_F(FeatureDisplay, AListEntryIsChosenOrElseItsFeatureUnhighlighted)
{
    std::vector<tag_t> faces;
    feature("BLOCK", "BLOCK(1)", 1);
    feature("POCKET", "POCKET(2)", 2, &faces);
    ASSERT_EQ(STV_FEAT_display(d, "PARTS"), 0);
    EXPECT_EQ(STV_highlight_item(d, "PARTS", "POCKET(2)"), 0);
    EXPECT_EQ(item(d, "PARTS").chosen, (std::vector<int>{1}));
    EXPECT_EQ(item(d, "PARTS").shown, 1);

    STV_FEAT_highlight(d, "POCKET(2)", 1);
    CVSTVSHARE_UI_delete_subitem(d, "PARTS", "POCKET(2)");
    EXPECT_EQ(STV_highlight_item(d, "PARTS", "POCKET(2)"), -1);
    EXPECT_TRUE(selected().empty()) << "the feature of that name is taken out of the selection";
    EXPECT_FALSE(highlighted(faces[1]));
    EXPECT_EQ(item(d, "PARTS").chosen, (std::vector<int>{})) << "nothing chosen in the list";
}

TEST_F(FeatureDisplay, ClearingTakesEveryFeaturesFacesOffTheSelection)
{
    std::vector<tag_t> a, b;
    feature("BLOCK", "BLOCK(1)", 2, &a);
    feature("BOSS", "BOSS(2)", 2, &b);
    STV_FEAT_highlight(d, "BLOCK(1)", 1);
    HX_OBJ_set_highlight(b[0], 1); // highlighted outside the selection
    EXPECT_EQ(STV_clear_highlight(d), 0);
    EXPECT_TRUE(selected().empty());
    EXPECT_FALSE(highlighted(a[0]) || highlighted(a[1]) || highlighted(b[0]));
    EXPECT_EQ(vexa::sim::texts(Entry::status).back(), "BOSS(2)");
    EXPECT_EQ(STV_clear_highlight01(d), 0);
}

TEST_F(FeatureDisplay, OccurrencesOfAPartsObjectsMoveToLayer255)
{
    tag_t assembly = vexa::sim::create_part("/p/top.prt");
    tag_t body = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, "B");
    tag_t first = vexa::sim::create_occurrence(assembly, body);
    tag_t second = vexa::sim::create_occurrence(assembly, body);
    HX_OBJ_set_layer(second, 255);
    EXPECT_EQ(STV_move_obj_layer(part, HX_TYPE_SOLID), 0);
    vexa::sim::ObjectInfo info;
    vexa::sim::object_info(first, info);
    EXPECT_EQ(info.layer, 255);
    vexa::sim::object_info(body, info);
    EXPECT_EQ(info.layer, 1) << "the object itself stays";
    EXPECT_EQ(STV_move_obj_layer(part, HX_TYPE_POINT), -1) << "the part holds no point";
    EXPECT_EQ(STV_move_obj_layer(0, HX_TYPE_SOLID), -1);
}
