// Customer defaults: the key mapping of every wizard type, the host's
// preference store by kind and unit mode, the Strivo host-held keys and the
// Strivo settings workbook.
#include "project_test_support.h"

#include "cvstvshare/customer_defaults.h"
#include "project/customer_defaults_internal.h"

#include "hx_files.h"

#include <gmock/gmock.h>

#include <cstring>

using cvstv::project::map_key;
using testing::ElementsAre;
using testing::HasSubstr;

class CustomerDefaults : public ProjectTest {
  protected:
    int ask_int(int wizard, const char *key, int kind = CV_DEFAULT_INT, int unit_mode = 0)
    {
        int value = -99;
        status = CVSTVSHARE_get_customer_default(wizard, key, unit_mode, kind, &value);
        return value;
    }
    double ask_real(int wizard, const char *key, int kind, int unit_mode)
    {
        double value = -99;
        status = CVSTVSHARE_get_customer_default(wizard, key, unit_mode, kind, &value);
        return value;
    }
    std::string ask_text(int wizard, const char *key, int kind = CV_DEFAULT_TEXT)
    {
        char value[CV_DEFAULT_TEXT_SIZE] = "untouched";
        status = CVSTVSHARE_get_customer_default(wizard, key, 0, kind, value);
        return value;
    }
    int status = 0;
};

TEST_F(CustomerDefaults, KeysMapOntoTheApplicationPrefix)
{
    EXPECT_EQ(map_key(1, "STV_STANDARDPARTPATH"), "CV_STANDARDPARTPATH");
    EXPECT_EQ(map_key(1, "DE_CV_PDMX_FIND_FOLDER"), "CV_PDMX_FIND_FOLDER");
    EXPECT_EQ(map_key(1, "PartingLayer"), "CV_PartingLayer");
    EXPECT_EQ(map_key(2, "CV_RESERVE_CLONE_LOGFILE"), "STV_RESERVE_CLONE_LOGFILE");
    EXPECT_EQ(map_key(2, "CV_Load_ZOLT_Data"), "STV_Load_ZOLT_Data");
    EXPECT_EQ(map_key(2, "ONESTEP_UNFORMING_THICKNESS"), "STV_ONESTEP_UNFORMING_THICKNESS");
    EXPECT_EQ(map_key(3, "DE_CV_PDMX_FIND_FOLDER"), "DE_CV_PDMX_FIND_FOLDER");
    EXPECT_EQ(map_key(4, "CV_FG_NAME_MAP_TEMPLATE_FILE"), "CV_FG_NAME_MAP_TEMPLATE_FILE");
    EXPECT_EQ(map_key(4, "CV_FG_Part_Name_Rule"), "CV_FG_PART_NAME_RULE");
    EXPECT_EQ(map_key(4, "CV_Part_Name_Rule"), "CV_Part_Name_Rule");
    EXPECT_EQ(map_key(4, "STV_fg_rule"), "CV_fg_rule"); // "CV_fg" is not "CV_FG"
    EXPECT_EQ(map_key(0, "CV_Part_Name_Rule"), std::nullopt);
    EXPECT_EQ(map_key(5, "CV_Part_Name_Rule"), std::nullopt);
}

TEST_F(CustomerDefaults, HostStoreAnswersEveryKind)
{
    vexa::sim::set_string_preference("CV_ProjectNameDelimiter", "-");
    vexa::sim::set_int_preference("CV_PDMX_Name_Method", 2);
    vexa::sim::set_real_preference("CV_PartingSmallDraftAngle", 2.5);
    vexa::sim::set_int_preference("CV_ShrinkBodyColor", 3);
    vexa::sim::set_logical_preference("CV_ExcelBackground", true);
    vexa::sim::set_list_preference("CV_Part_Name_Rule",
                                   {"<PROJECT_NAME>_<TEMPLATE_NAME>", "<PROJECT_NAME>_???"});

    EXPECT_EQ(ask_text(1, "CV_ProjectNameDelimiter"), "-");
    EXPECT_EQ(ask_int(1, "CV_PDMX_Name_Method"), 2);
    EXPECT_EQ(ask_real(1, "CV_PartingSmallDraftAngle", CV_DEFAULT_REAL, 2),
              2.5); // the store's value as it is
    EXPECT_EQ(ask_real(1, "CV_PartingSmallDraftAngle", CV_DEFAULT_REAL_AS_IS, 0), 2.5);
    EXPECT_EQ(ask_int(1, "CV_ShrinkBodyColor", CV_DEFAULT_COLOUR), 3);
    EXPECT_EQ(ask_int(1, "CV_ExcelBackground", CV_DEFAULT_LOGICAL), 1);
    EXPECT_EQ(ask_text(1, "CV_Part_Name_Rule", CV_DEFAULT_LIST),
              "<PROJECT_NAME>_<TEMPLATE_NAME>,<PROJECT_NAME>_???");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ask_text(4, "CV_FG_PART_NAME_RULE", CV_DEFAULT_LIST), "untouched"); // electrodes: another key
    EXPECT_EQ(status, 1);
}

// Callers ask some keys "as an integer" that the table lists as logical: a
// setting stored either way answers both kinds.
TEST_F(CustomerDefaults, LogicalAndIntegerSettingsAnswerEachOther)
{
    vexa::sim::set_int_preference("CV_CLONE_DRY_RUN", 1);
    vexa::sim::set_logical_preference("CV_RESERVE_CLONE_LOGFILE", true);
    vexa::sim::set_string_preference("CV_NAME_PDMX_NUMBER", "no");
    EXPECT_EQ(ask_int(1, "CV_CLONE_DRY_RUN", CV_DEFAULT_LOGICAL), 1);
    EXPECT_EQ(ask_int(1, "CV_CLONE_DRY_RUN", CV_DEFAULT_INT), 1);
    EXPECT_EQ(ask_int(1, "CV_RESERVE_CLONE_LOGFILE", CV_DEFAULT_INT), 1);
    EXPECT_EQ(ask_int(1, "CV_NAME_PDMX_NUMBER", CV_DEFAULT_LOGICAL), 0);
    EXPECT_EQ(ask_int(1, "CV_NAME_PDMX_NUMBER", CV_DEFAULT_INT), 0);
    EXPECT_EQ(status, 0);
}

TEST_F(CustomerDefaults, RealByUnitsFollowsTheUnitMode)
{
    vexa::sim::set_real_preference("CV_WorkPieceOffset_MU", 25);
    vexa::sim::set_real_preference("CV_WorkPieceOffset_EU", 1);
    vexa::sim::set_real_preference("CV_WorkPieceOffset", 7);
    EXPECT_EQ(ask_real(1, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 1), 25);
    EXPECT_EQ(ask_real(1, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 2), 1);
    EXPECT_EQ(ask_real(1, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 0), 7); // no work part
    vexa::sim::create_part("C:\\p\\inch.prt", vexa::sim::units_english);
    EXPECT_EQ(ask_real(1, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 0), 1);
    vexa::sim::set_work_part(vexa::sim::create_part("C:\\p\\mm.prt", vexa::sim::units_metric));
    EXPECT_EQ(ask_real(1, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 0), 25);
}

TEST_F(CustomerDefaults, StrivoHostHeldKeysAreReadUpperCase)
{
    vexa::sim::set_logical_preference("STV_RESERVE_CLONE_LOGFILE", true);
    vexa::sim::set_logical_preference("STV_LOAD_ZOLT_DATA", true);
    vexa::sim::set_logical_preference("STV_Load_ZOLT_Data", false); // never asked under this name
    EXPECT_EQ(ask_int(2, "CV_RESERVE_CLONE_LOGFILE", CV_DEFAULT_LOGICAL), 1);
    EXPECT_EQ(ask_int(2, "CV_Load_ZOLT_Data", CV_DEFAULT_LOGICAL), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(vexa::sim::call_count("HX_file_exists"), 0); // the settings workbook was not read
}

TEST_F(CustomerDefaults, NotAnsweredLeavesTheValueUntouched)
{
    EXPECT_EQ(ask_int(1, "CV_NoSuchKey"), -99);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ask_int(5, "CV_PDMX_Name_Method"), -99);
    EXPECT_EQ(status, 1);
    vexa::sim::set_int_preference("CV_PDMX_Name_Method", 2);
    EXPECT_EQ(ask_int(1, "CV_PDMX_Name_Method", 8), -99);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ask_int(1, "CV_PDMX_Name_Method", -1), -99);
    EXPECT_EQ(status, 1);
    vexa::sim::set_list_preference("CV_Part_Name_Rule", {});
    EXPECT_EQ(ask_text(1, "CV_Part_Name_Rule", CV_DEFAULT_LIST), "untouched");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(syslog().empty());
    EXPECT_EQ(CVSTVSHARE_get_customer_default(1, nullptr, 0, CV_DEFAULT_INT, &status), -1);
    EXPECT_EQ(CVSTVSHARE_get_customer_default(1, "CV_PDMX_Name_Method", 0, CV_DEFAULT_INT, nullptr), -1);
}

TEST_F(CustomerDefaults, FailingPreferenceReadIsReportedWithItsStatus)
{
    vexa::sim::set_string_preference("CV_PartingRegionType", "three");
    EXPECT_EQ(ask_int(1, "CV_PartingRegionType"), -99);
    EXPECT_EQ(status, HX_ERR_WRONG_TYPE);
    vexa::sim::set_int_preference("CV_PartingProdLayer", 1);
    vexa::sim::fail_call("PMAN_ask_int", HX_ERR_INTERNAL);
    EXPECT_EQ(ask_int(1, "CV_PartingProdLayer"), -99);
    EXPECT_EQ(status, HX_ERR_INTERNAL);
    EXPECT_THAT(syslog(),
                ElementsAre("cvstvshare_kt_share: customer default CV_PartingRegionType: Value or "
                            "object is not of the type needed (status 1110)",
                            "cvstvshare_kt_share: customer default CV_PartingProdLayer: Internal error of "
                            "the host (status 1108)"));
}

TEST_F(CustomerDefaults, KeysAndTextsHaveTheirLimits)
{
    std::string key79 = "CV_" + std::string(76, 'K');
    std::string key80 = "CV_" + std::string(77, 'K');
    vexa::sim::set_int_preference(key79, 79);
    EXPECT_EQ(ask_int(1, key79.c_str()), 79);
    EXPECT_EQ(ask_int(1, key80.c_str()), -99);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(ask_int(1, ("STV_" + std::string(76, 'K')).c_str()), 79); // maps onto the 79 characters

    vexa::sim::set_string_preference("CV_Long", std::string(249, 'x'));
    EXPECT_EQ(ask_text(1, "CV_Long").size(), 249u);
    vexa::sim::set_string_preference("CV_Long", std::string(250, 'x'));
    EXPECT_EQ(ask_text(1, "CV_Long"), "untouched");
    EXPECT_EQ(status, -1);
    vexa::sim::set_list_preference("CV_Long", {std::string(200, 'a'), std::string(49, 'b')});
    EXPECT_EQ(ask_text(1, "CV_Long", CV_DEFAULT_LIST), "untouched"); // 250 joined
    EXPECT_EQ(status, -1);
    EXPECT_THAT(syslog().back(), HasSubstr("a text of 250 characters refused"));
}

TEST_F(CustomerDefaults, AllocationFailuresLeaveNothingBehind)
{
    vexa::sim::set_list_preference("CV_Part_Name_Rule", {"a", "b", "c"});
    vexa::sim::set_string_preference("CV_NAME_MAP_TEMPLATE_FILE", "map.txt");
    for (long n = 0; n < 6; ++n) {
        vexa::sim::fail_allocations_after(n);
        ask_text(1, "CV_Part_Name_Rule", CV_DEFAULT_LIST);
        EXPECT_TRUE(status == 0 || status == HX_ERR_NO_MEMORY) << status;
        ask_text(1, "CV_NAME_MAP_TEMPLATE_FILE");
        EXPECT_TRUE(status == 0 || status == HX_ERR_NO_MEMORY) << status;
    }
    vexa::sim::fail_allocations_after(-1);
}

// ---- Strivo settings workbook ------------------------------------------------------

class StrivoSettings : public CustomerDefaults {
  protected:
    // A scratch Strivo kit whose settings workbook holds the rows.
    void settings(const Rows &rows)
    {
        write_xs4("strivo/configuration/stv_setting.xs4", {{"Settings", rows}});
        vexa::sim::set_env("STRIVO_DIR", host_form(scratch() / "strivo"));
    }
};

TEST_F(StrivoSettings, KeysNotHeldByTheHostComeFromTheWorkbook)
{
    vexa::sim::set_real_preference("STV_WorkPieceOffset", 3); // not a host-held key: not read
    EXPECT_EQ(ask_int(2, "CV_DatumLayer"), 61);
    EXPECT_EQ(ask_text(2, "CV_DatumLayerName"), "DATUMS");
    EXPECT_EQ(ask_real(2, "CV_PartingSmallDraftAngle", CV_DEFAULT_REAL_AS_IS, 0), 2.5);
    EXPECT_EQ(ask_int(2, "CV_PartingLinesColor", CV_DEFAULT_COLOUR), 13); // "Dark-Red"
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ask_int(2, "cv_datumlayer"), -99); // the key as given, with case
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ask_real(2, "CV_WorkPieceOffset", CV_DEFAULT_REAL_BY_UNITS, 1), -99); // kind not answered there
    EXPECT_EQ(status, 1);
    EXPECT_EQ(vexa::sim::call_count("PMAN_ask_real"), 0);
}

TEST_F(StrivoSettings, TheWorkbookIsReadByTheSystemsSpreadsheet)
{
    vexa::sim::set_default_spreadsheet_excel(true); // the .xls form, through a port
    EXPECT_EQ(ask_int(2, "STV_StationCount"), 12);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(vexa::sim::call_count("HX_TOOL_read_sheet_grid"), 1);
}

TEST_F(StrivoSettings, ValuesConvertByKind)
{
    vexa::sim::set_env("DATA_ROOT", "D:/tooling/data/");
    settings({{"SETTING", "VALUE"},
              {"Length", "25.4"},
              {"Count", "12 stations"},
              {"Word", "many"},
              {"Dark", "Dark-Red"},
              {"Seven", "7"},
              {"Sixteen", "16"},
              {"Short", "rd"},
              {"Path", "${DATA_ROOT}/strip/layout.prt"},
              {"Length", "99"}});
    EXPECT_EQ(ask_real(2, "Length", CV_DEFAULT_REAL, 2), 1.0);
    EXPECT_EQ(ask_real(2, "Length", CV_DEFAULT_REAL, 1), 25.4);
    EXPECT_EQ(ask_real(2, "Length", CV_DEFAULT_REAL, 0), 25.4); // no work part
    vexa::sim::create_part("C:\\p\\inch.prt", vexa::sim::units_english);
    EXPECT_EQ(ask_real(2, "Length", CV_DEFAULT_REAL, 0), 1.0);
    EXPECT_EQ(ask_real(2, "Length", CV_DEFAULT_REAL_AS_IS, 2), 25.4);
    EXPECT_EQ(ask_int(2, "Count"), 12);
    EXPECT_EQ(ask_int(2, "Word"), 0);
    EXPECT_EQ(ask_int(2, "Dark", CV_DEFAULT_COLOUR), 13);
    EXPECT_EQ(ask_int(2, "Seven", CV_DEFAULT_COLOUR), 7);
    EXPECT_EQ(ask_int(2, "Sixteen", CV_DEFAULT_COLOUR), 0);
    EXPECT_EQ(ask_int(2, "Short", CV_DEFAULT_COLOUR), 0);
    EXPECT_EQ(ask_text(2, "Path"), "D:\\tooling\\data\\strip\\layout.prt");
    EXPECT_EQ(ask_int(2, "Count", CV_DEFAULT_LOGICAL), -99);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ask_text(2, "Count", CV_DEFAULT_LIST), "untouched");
    EXPECT_EQ(status, 1);
}

TEST_F(StrivoSettings, UnsetReferenceKeepsTheText)
{
    vexa::sim::unset_env("NO_SUCH_ROOT");
    settings({{"SETTING", "VALUE"}, {"Path", "${NO_SUCH_ROOT}/data"}});
    EXPECT_EQ(ask_text(2, "Path"), "${NO_SUCH_ROOT}/data");
    EXPECT_EQ(status, 0);
    EXPECT_THAT(message_boxes(), ElementsAre("The environment variable <NO_SUCH_ROOT> does not exist."));
}

TEST_F(StrivoSettings, MissingWorkbookOrKitIsReportedOncePerCall)
{
    fs::create_directories(scratch() / "strivo");
    vexa::sim::set_env("STRIVO_DIR", host_form(scratch() / "strivo"));
    EXPECT_EQ(ask_int(2, "CV_DatumLayer"), -99);
    EXPECT_EQ(status, HX_FILE_MISSING);
    vexa::sim::unset_env("STRIVO_DIR");
    EXPECT_EQ(ask_int(2, "CV_DatumLayer"), -99);
    EXPECT_EQ(status, -1);
    EXPECT_THAT(message_boxes(),
                ElementsAre("STV settings file is not found.", "No STRIVO_DIR environment variable."));
}

TEST_F(StrivoSettings, EmptyOrDamagedWorkbookAnswersNothing)
{
    settings({});
    EXPECT_EQ(ask_int(2, "CV_DatumLayer"), -99);
    EXPECT_EQ(status, 1);
    fs::path file = scratch() / "strivo" / "configuration" / "stv_setting.xs4";
    fs::remove(file);
    fs::create_directory(file); // a directory where the workbook should be
    EXPECT_EQ(ask_int(2, "CV_DatumLayer"), -99);
    EXPECT_NE(status, 0);
}
