// The toggle actions: switching Cavora, Strivo and Fulgo on and off on the
// example kit, with their toolbars, drafting palettes, secondary toolbars
// and session settings.
#include "application_test_support.h"

#include "cvstvshare/application.h"

#include "hx_ui_shell.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::HasSubstr;
using vexa::sim::Entry;

namespace {

struct Shown {
    std::vector<std::string> toolbars; // visible toolbars by name
    std::vector<std::string> palettes; // palette file names
};

Shown shown()
{
    Shown s;
    for (const auto &t : vexa::sim::toolbars())
        if (t.visible)
            s.toolbars.push_back(t.name);
    for (const std::string &p : vexa::sim::palette_entries())
        s.palettes.push_back(fs::path(local_form(p)).filename().string());
    return s;
}

// A secondary toolbar loaded from a scratch file, as an application shows it.
tag_t load_secondary(const fs::path &file)
{
    tag_t toolbar = 0;
    EXPECT_EQ(HX_UI_create_toolbar(host_form(file).c_str(), HX_UI_TOOLBAR_LOAD_AND_SHOW, &toolbar), 0);
    return toolbar;
}

} // namespace

class ApplicationToggle : public ApplicationTest {};

TEST_F(ApplicationToggle, CavoraOnShowsToolbarAndPalettesAndEntersOnce)
{
    CV_toggle_button_action();
    Shown on = shown();
    EXPECT_THAT(on.toolbars, ElementsAre("CAVORA"));
    EXPECT_THAT(on.palettes, ElementsAre("mould_assembly_views.pax", "mould_sections.pax"));
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 1);
    EXPECT_TRUE(vexa::sim::boolean_face_properties());
    EXPECT_TRUE(message_boxes().empty());

    CV_toggle_button_action(); // off
    EXPECT_TRUE(vexa::sim::toolbars().empty());
    EXPECT_TRUE(vexa::sim::palette_entries().empty());
    EXPECT_EQ(vexa::sim::toggle_state("CV_TOOLS_MENU"), 0); // its buttons went with it

    CV_toggle_button_action(); // on again: the companion is not loaded again
    EXPECT_THAT(shown().toolbars, ElementsAre("CAVORA"));
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 1);
}

TEST_F(ApplicationToggle, SwitchingOffTakesOnlyTheStoredSecondaryToolbars)
{
    write("secondary/cv_drafting.tbr",
          "TOOLBAR CV_DRAFTING \"Drafting\"\nBUTTON CV_HOLE_TABLE \"Hole Table\"\n");
    write("secondary/cv_parting.tbr", "TOOLBAR CV_PARTING \"Parting\"\nBUTTON CV_PATCH \"Patch\"\n");
    CV_toggle_button_action();
    ASSERT_TRUE(vexa::sim::press_toggle("CV_DR_HR_MENU"));
    ASSERT_TRUE(vexa::sim::press_toggle("CV_PARTING_TOOLS_MENU"));
    CV_MENU_set_toolbar_id(2, load_secondary(scratch() / "secondary" / "cv_drafting.tbr"));
    CV_MENU_set_toolbar_id(4, load_secondary(scratch() / "secondary" / "cv_parting.tbr"));
    ASSERT_THAT(shown().toolbars, ElementsAre("CAVORA", "CV_DRAFTING", "CV_PARTING"));
    vexa::sim::clear_journal();

    CV_toggle_button_action();
    EXPECT_TRUE(vexa::sim::toolbars().empty());
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(CV_MENU_get_toolbar_id(n), 0u) << n;
    // Number 4 goes before number 2, and the main toolbar last; the toggles
    // were switched off before their toolbars went.
    EXPECT_THAT(lines(Entry::shell),
                ElementsAre("toolbar CV_PARTING removed", "toolbar CV_DRAFTING removed",
                            "toolbar CAVORA removed", "palette Mould Assembly Views taken off",
                            "palette Mould Sections taken off"));
    EXPECT_EQ(vexa::sim::call_count("HX_MB_set_toggle_state"), 2);
}

TEST_F(ApplicationToggle, MissingToolbarFileLeavesTheApplicationOff)
{
    fs::create_directories(scratch() / "cavora" / "drafting");
    use_kit(scratch());
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(built_kit / "tooling"));
    CV_toggle_button_action();
    EXPECT_THAT(message_boxes(), ElementsAre("The CAVORA kit is not found"));
    EXPECT_TRUE(vexa::sim::toolbars().empty());
    EXPECT_TRUE(vexa::sim::palette_entries().empty());
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 0);
    CV_toggle_button_action(); // still off: the next toggle tries to switch on again
    EXPECT_EQ(message_boxes().size(), 2u);
}

TEST_F(ApplicationToggle, DamagedToolbarFileIsReportedByTheHost)
{
    write("fulgo/application/kr_fulgo.tbr",
          "TOOLBAR FULGO \"Fulgo\"\nBUTTON FG_A \"A\"\nBUTTON FG_A \"Again\"\n");
    vexa::sim::set_env("FULGO_DIR", host_form(scratch() / "fulgo"));
    FG_toggle_button_action();
    EXPECT_THAT(message_boxes(), ElementsAre("The FULGO kit is not found"));
    EXPECT_THAT(syslog(), ElementsAre(HasSubstr("kr_fulgo.tbr: line 3: button FG_A given twice")));
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 0);
}

TEST_F(ApplicationToggle, InjectedToolbarFailureLeavesTheApplicationOff)
{
    vexa::sim::fail_call("HX_UI_create_toolbar", HX_ERR_IO, 0, 1);
    STV_toggle_button_action();
    EXPECT_THAT(message_boxes(), ElementsAre("The STRIVO kit is not found"));
    EXPECT_TRUE(vexa::sim::toolbars().empty());
    EXPECT_TRUE(vexa::sim::palette_entries().empty());
    EXPECT_EQ(vexa::sim::assembly_options()[5], 0); // nothing after the toolbar was done
    STV_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("STRIVO"));
}

TEST_F(ApplicationToggle, PalettesNeedTheirDirectoryAndNoPdmManager)
{
    vexa::sim::set_pdm_active(true);
    CV_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("CAVORA"));
    EXPECT_TRUE(shown().palettes.empty());
    CV_toggle_button_action();

    // A kit without drafting\assembly_drawing: the toolbar all the same.
    vexa::sim::set_pdm_active(false);
    fs::create_directories(scratch() / "fulgo" / "application");
    fs::copy(built_kit / "fulgo" / "application", scratch() / "fulgo" / "application");
    vexa::sim::set_env("FULGO_DIR", host_form(scratch() / "fulgo"));
    FG_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("FULGO"));
    EXPECT_TRUE(shown().palettes.empty());
    EXPECT_TRUE(message_boxes().empty());
}

TEST_F(ApplicationToggle, PaletteListHoldsOnlyPaletteFilesAtMostAHundred)
{
    fs::copy(built_kit / "fulgo", scratch() / "fulgo", fs::copy_options::recursive);
    fs::path dir = scratch() / "fulgo" / "drafting" / "assembly_drawing";
    for (int i = 0; i < 105; ++i)
        std::ofstream(dir / ("p" + std::to_string(100 + i) + ".pax")) << "PALETTE \"P" << i << "\"\n";
    std::ofstream(dir / "notes.txt") << "not a palette\n";
    fs::create_directories(dir / "old.pax"); // a directory, not a palette file
    vexa::sim::set_env("FULGO_DIR", host_form(scratch() / "fulgo"));
    FG_toggle_button_action();
    std::vector<std::string> palettes = shown().palettes;
    ASSERT_EQ(palettes.size(), 100u);
    EXPECT_EQ(palettes.front(), "electrode_drawings.pax");
    EXPECT_EQ(palettes.back(), "p198.pax");
}

TEST_F(ApplicationToggle, CavoraAsksBeforeEndingTheDelay)
{
    vexa::sim::set_session_delayed(true);
    vexa::sim::push_user_message_answer(2); // Cancel
    CV_toggle_button_action();
    EXPECT_TRUE(vexa::sim::session_delayed());
    const auto &asked = vexa::sim::journal();
    auto it =
        std::find_if(asked.begin(), asked.end(), [](const auto &e) { return e.kind == Entry::user_message; });
    ASSERT_NE(it, asked.end());
    EXPECT_EQ(it->title, "Delay Interpart");
    EXPECT_EQ(it->text, "Cavora turns off Delay Interpart. Accept or not?");
    EXPECT_THAT(it->buttons, ElementsAre("OK", "Cancel"));
    EXPECT_EQ(it->response, -3);

    CV_toggle_button_action();
    vexa::sim::push_user_message_answer(1, true); // OK, and do not ask again
    CV_toggle_button_action();
    EXPECT_FALSE(vexa::sim::session_delayed());

    CV_toggle_button_action();
    vexa::sim::set_session_delayed(true);
    CV_toggle_button_action(); // not asked: the answer given is kept
    EXPECT_FALSE(vexa::sim::session_delayed());
    EXPECT_EQ(lines(Entry::user_message).size(), 2u);
}

TEST_F(ApplicationToggle, CavoraWithoutAnAnswerTakesTheDefaultButton)
{
    vexa::sim::set_session_delayed(true);
    CV_toggle_button_action();
    EXPECT_FALSE(vexa::sim::session_delayed());
}

TEST_F(ApplicationToggle, StrivoSetsAssemblyOptionsOncePerSession)
{
    vexa::sim::set_session_delayed(true);
    std::vector<int> expected = vexa::sim::assembly_options();
    expected[5] = expected[8] = expected[9] = 1;
    STV_toggle_button_action();
    EXPECT_EQ(vexa::sim::assembly_options(), expected) << "members 6, 9 and 10 set, the others kept";
    EXPECT_FALSE(vexa::sim::session_delayed()); // without asking
    EXPECT_TRUE(lines(Entry::user_message).empty());
    EXPECT_THAT(shown().palettes, ElementsAre("die_assembly_views.pax", "strip_layout.pax"));

    STV_toggle_button_action();
    vexa::sim::set_assembly_options({});
    STV_toggle_button_action();
    EXPECT_EQ(vexa::sim::assembly_options()[5], 0);
}

TEST_F(ApplicationToggle, StrivoUnreadableOptionsAreNotWrittenAndTriedAgain)
{
    vexa::sim::fail_call("ASSY_ask_assy_options", HX_ERR_INTERNAL, 0, 1);
    STV_toggle_button_action();
    EXPECT_EQ(vexa::sim::call_count("ASSY_set_assy_options"), 0);
    STV_toggle_button_action();
    STV_toggle_button_action();
    EXPECT_EQ(vexa::sim::assembly_options()[9], 1);
}

TEST_F(ApplicationToggle, StrivoHidesItsHostInternalToolbar)
{
    tag_t validation = vexa::sim::create_internal_toolbar("STV_VALIDATION", {"STV_VALIDATION_TOOLS_MENU"});
    STV_toggle_button_action();
    ASSERT_TRUE(vexa::sim::press_toggle("STV_VALIDATION_TOOLS_MENU"));
    STV_MENU_set_toolbar_id(5, validation);
    write("secondary/stv_tools.tbr", "TOOLBAR STV_TOOLS \"Die Tools\"\nBUTTON STV_TRIM \"Trim\"\n");
    ASSERT_TRUE(vexa::sim::press_toggle("STV_TOOLS_MENU"));
    STV_MENU_set_toolbar_id(1, load_secondary(scratch() / "secondary" / "stv_tools.tbr"));

    STV_toggle_button_action();
    auto left = vexa::sim::toolbars();
    ASSERT_EQ(left.size(), 1u); // the host's own toolbar stays, hidden
    EXPECT_EQ(left[0].name, "STV_VALIDATION");
    EXPECT_FALSE(left[0].visible);
    EXPECT_EQ(vexa::sim::toggle_state("STV_VALIDATION_TOOLS_MENU"), HX_MB_TOGGLE_OFF);
    EXPECT_EQ(STV_MENU_get_toolbar_id(5), 0u);
    EXPECT_EQ(STV_MENU_get_toolbar_id(1), 0u);
}

TEST_F(ApplicationToggle, FulgoSwitchesTheDelayOffAndEntersAsElectrodes)
{
    vexa::sim::set_session_delayed(true);
    FG_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("FULGO"));
    EXPECT_THAT(shown().palettes, ElementsAre("electrode_drawings.pax"));
    EXPECT_FALSE(vexa::sim::session_delayed());
    EXPECT_THAT(syslog(), ElementsAre("libcvstv_share: ready for wizard type 4 (electrodes)"));
}

TEST_F(ApplicationToggle, ApplicationsAreSwitchedIndependently)
{
    CV_toggle_button_action();
    STV_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("CAVORA", "STRIVO"));
    CV_toggle_button_action();
    EXPECT_THAT(shown().toolbars, ElementsAre("STRIVO"));
    EXPECT_THAT(shown().palettes, ElementsAre("die_assembly_views.pax", "strip_layout.pax"));
}
