// Application entries with the real companion libraries, the secondary
// toolbar slots, translation files, the release match and the registry read.
#include "application_test_support.h"

#include "cvstvshare/application.h"
#include "cvstvshare/startup.h"

#include "hx_messages.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

std::vector<std::string> loaded_files()
{
    std::vector<std::string> files;
    for (const auto &l : vexa::sim::loaded_libraries())
        files.push_back(fs::path(local_form(l.path)).filename().string() + ":" + l.entry);
    return files;
}

} // namespace

class ApplicationEntry : public ApplicationTest {};

TEST_F(ApplicationEntry, LoadsTheCompanionOncePerSession)
{
    EXPECT_EQ(CV_MENU_entry(), 0);
    long loads = vexa::sim::call_count("HX_load_library");
    long lookups = vexa::sim::call_count("HX_translate_variable");
    EXPECT_EQ(CV_MENU_entry(), 0);
    EXPECT_EQ(FG_MENU_entry(), 0); // another application loads it again, once

    EXPECT_EQ(loads, 1);
    EXPECT_EQ(vexa::sim::call_count("HX_translate_variable"), lookups + 1); // Fulgo's path only
    EXPECT_THAT(loaded_files(), ElementsAre("libcvstv_share.dll:Wizard_share_entry",
                                            "libcvstv_share.dll:Wizard_share_entry"));
    EXPECT_THAT(syslog(), ElementsAre("libcvstv_share: ready for wizard type 1 (mould design)",
                                      "libcvstv_share: ready for wizard type 4 (electrodes)"));
    EXPECT_TRUE(message_boxes().empty());
    EXPECT_TRUE(vexa::sim::boolean_face_properties()); // Cavora's modelling preference
}

TEST_F(ApplicationEntry, StrivoLoadsBothLibrariesOnce)
{
    EXPECT_EQ(STV_MENU_entry(), 0);
    EXPECT_EQ(STV_MENU_entry(), 0);
    EXPECT_THAT(loaded_files(), ElementsAre("libcvstv_share.dll:Wizard_share_entry",
                                            "libstv_share.dll:STV_udo_class_initiate"));
    EXPECT_THAT(syslog(), ElementsAre("libcvstv_share: ready for wizard type 2 (progressive die)",
                                      "libstv_share: user-defined object classes initiated"));
    EXPECT_FALSE(vexa::sim::boolean_face_properties()); // only Cavora sets it
}

TEST_F(ApplicationEntry, FailingEntryShowsTheHostTextAndIsTriedAgain)
{
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(test_companions / "failing"));
    EXPECT_EQ(CV_MENU_entry(), -1);
    EXPECT_THAT(message_boxes(), ElementsAre("File could not be read or written"));
    EXPECT_EQ(vexa::sim::journal().back().severity, HX_SEVERITY_ERROR);
    EXPECT_FALSE(vexa::sim::boolean_face_properties());

    // The loaded flag stayed clear: with a sound library the entry succeeds.
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(built_kit / "tooling"));
    EXPECT_EQ(CV_MENU_entry(), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 2);
}

TEST_F(ApplicationEntry, StrivoStopsWhenItsOwnLibraryFails)
{
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(test_companions / "stv_failing"));
    EXPECT_EQ(STV_MENU_entry(), -1);
    EXPECT_THAT(message_boxes(), ElementsAre("Internal error of the host"));
    EXPECT_EQ(STV_MENU_entry(), -1); // tried again, both libraries loaded again
    EXPECT_EQ(vexa::sim::call_count("HX_load_library"), 4);
}

TEST_F(ApplicationEntry, BadCompanionLibrariesAreReportedNotCalled)
{
    // A library without the entry, a file that is no shared object, and no
    // tooling base directory at all (the load of the empty path then fails).
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(test_companions / "no_entry"));
    EXPECT_EQ(CV_MENU_entry(), -1);
    write("tooling/application/libcvstv_share.dll", "MZ this is not an ELF shared object\n");
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(scratch() / "tooling"));
    EXPECT_EQ(FG_MENU_entry(), -1);
    vexa::sim::unset_env("TOOLING_BASE_DIR");
    EXPECT_EQ(STV_MENU_entry(), -1);

    EXPECT_THAT(message_boxes(),
                ElementsAre("Entry point not found in library", "Library could not be loaded",
                            "No TOOLING_BASE_DIR environment variable", "Invalid argument"));
    EXPECT_TRUE(vexa::sim::loaded_libraries().empty());
}

TEST_F(ApplicationEntry, InjectedLoadFailureReachesTheUser)
{
    vexa::sim::fail_call("HX_load_library", HX_ERR_LOAD, 0, 1);
    EXPECT_EQ(CV_MENU_entry(), -1);
    EXPECT_THAT(message_boxes(), ElementsAre("Library could not be loaded"));
    EXPECT_EQ(CV_MENU_entry(), 0);
}

TEST_F(ApplicationEntry, LoadOperationsCallTheEntryWithTheirWizardType)
{
    std::string share = host_form(built_kit / "tooling" / "application" / "libcvstv_share.dll");
    std::string stv_share = host_form(built_kit / "tooling" / "application" / "libstv_share.dll");
    EXPECT_EQ(CV_MENU_load_share_lib(share.c_str(), "Wizard_share_entry"), 0);
    EXPECT_EQ(STV_MENU_load_share_lib(share.c_str(), "Wizard_share_entry"), 0);
    EXPECT_EQ(FG_MENU_load_share_lib(share.c_str(), "Wizard_share_entry"), 0);
    EXPECT_EQ(STV_MENU_load_stvshare_lib(stv_share.c_str(), "STV_udo_class_initiate"), 0);
    EXPECT_THAT(syslog(), ElementsAre("libcvstv_share: ready for wizard type 1 (mould design)",
                                      "libcvstv_share: ready for wizard type 2 (progressive die)",
                                      "libcvstv_share: ready for wizard type 4 (electrodes)",
                                      "libstv_share: user-defined object classes initiated"));
    // A status of the load is passed back unchanged.
    EXPECT_EQ(CV_MENU_load_share_lib(share.c_str(), "No_such_entry"), HX_ERR_NO_ENTRY);
    EXPECT_EQ(CV_MENU_load_share_lib(nullptr, "Wizard_share_entry"), HX_ERR_BAD_ARGUMENT);
}

TEST_F(ApplicationEntry, SecondaryToolbarSlotsKeepNumbersOneToFive)
{
    CV_MENU_set_toolbar_id(2, 42);
    CV_MENU_set_toolbar_id(0, 7);
    CV_MENU_set_toolbar_id(6, 8);
    STV_MENU_set_toolbar_id(5, 9);
    EXPECT_EQ(CV_MENU_get_toolbar_id(2), 42u);
    EXPECT_EQ(CV_MENU_get_toolbar_id(0), 0u);
    EXPECT_EQ(CV_MENU_get_toolbar_id(6), 0u);
    EXPECT_EQ(CV_MENU_get_toolbar_id(-1), 0u);
    EXPECT_EQ(CV_MENU_get_toolbar_id(5), 0u); // Strivo's slots are its own
    EXPECT_EQ(STV_MENU_get_toolbar_id(5), 9u);
}

// ---- Translation files -----------------------------------------------------------

TEST_F(ApplicationEntry, TranslationFileFollowsTheWizardType)
{
    EXPECT_EQ(CVSTVSHARE_load_localization_library(4), 0);
    EXPECT_EQ(CVSTVSHARE_load_localization_library(2), 0);
    EXPECT_EQ(CVSTVSHARE_load_localization_library(3), 0);
    EXPECT_EQ(CVSTVSHARE_load_localization_library(7), 0);
    std::vector<std::string> files;
    for (const std::string &f : vexa::sim::translation_files())
        files.push_back(fs::relative(local_form(f), built_kit).string());
    EXPECT_THAT(files, ElementsAre("fulgo/localization/cavora.lng", "strivo/localization/stv.lng",
                                   "krautomotive/presdes/localization/pressa.lng",
                                   "cavora/localization/cavora.lng"));
    EXPECT_STREQ(HX_TEXT("The CAVORA kit is not found"), "The CAVORA kit is not found: check CAVORA_DIR");
}

TEST_F(ApplicationEntry, MissingOrDamagedTranslationFilesAreIgnored)
{
    write("cavora/localization/cavora.lng", "\"Open\" = \"Offen\"\n\"Close\" \"Zu\"\n");
    use_kit(scratch());
    EXPECT_EQ(CVSTVSHARE_load_localization_library(1), 0); // damaged: nothing of it is taken
    EXPECT_EQ(CVSTVSHARE_load_localization_library(2), 0); // missing
    EXPECT_STREQ(HX_TEXT("Open"), "Open");
    EXPECT_TRUE(vexa::sim::translation_files().empty());
    EXPECT_THAT(syslog(),
                ElementsAre(HasSubstr("cavora.lng: line 2: expected \"<text>\" = \"<translation>\"")));
    EXPECT_TRUE(message_boxes().empty());
}

// ---- Release and registry ------------------------------------------------------------

TEST_F(ApplicationEntry, ReleaseMatchesUpToTheFirstDot)
{
    vexa::sim::set_release("V7.5.2");
    EXPECT_EQ(WIZARD_Release_Match("V7.5"), 0);
    EXPECT_EQ(WIZARD_Release_Match("V7"), 0);
    EXPECT_EQ(WIZARD_Release_Match("V7.0.1"), 0);
    EXPECT_TRUE(lines(vexa::sim::Entry::tooling_log).empty());
    EXPECT_EQ(WIZARD_Release_Match("V8.0"), -1);
    EXPECT_EQ(WIZARD_Release_Match("v7.5"), -1); // case matters
    EXPECT_EQ(WIZARD_Release_Match(".5"), -1);   // names no release
    EXPECT_EQ(WIZARD_Release_Match(std::string(300, 'V').c_str()), -1);
    EXPECT_EQ(lines(vexa::sim::Entry::tooling_log).size(), 4u);
    EXPECT_EQ(lines(vexa::sim::Entry::tooling_log)[0],
              "The Wizard release does not support the Vexa release. \n\n");
}

TEST_F(ApplicationEntry, ReleaseMatchWithoutTextOrReleaseFails)
{
    EXPECT_EQ(WIZARD_Release_Match(""), -1);
    EXPECT_EQ(WIZARD_Release_Match(nullptr), -1);
    EXPECT_EQ(vexa::sim::call_count("HX_get_release"), 0);
    vexa::sim::fail_call("HX_get_release", HX_ERR_INTERNAL);
    EXPECT_EQ(WIZARD_Release_Match("V7"), -1);
    vexa::sim::clear_call_failure("HX_get_release");
    vexa::sim::fail_allocations_after(0);
    EXPECT_EQ(WIZARD_Release_Match("V7"), -1);
}

TEST_F(ApplicationEntry, RegistryReadPassesTheHostStatus)
{
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tooling", "Path", "C:\\Tooling");
    char value[257] = "untouched";
    EXPECT_EQ(cv_read_register("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tooling", "Path", value), 0);
    EXPECT_STREQ(value, "C:\\Tooling");
    EXPECT_EQ(cv_read_register("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tooling", "Other", value), HX_ERR_NOT_FOUND);
    vexa::sim::set_registry_value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tooling", "Long", std::string(300, 'x'));
    EXPECT_EQ(cv_read_register("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tooling", "Long", value), HX_ERR_TOO_LONG);
}
