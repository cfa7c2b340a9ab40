// Path joining, environment references, the progressive-die kit file and
// temporary file names.
#include "host_test.h"

#include "cvstvshare/util.h"
#include "util/path_util.h"

#include <cstring>
#include <string>

class PathUtil : public HostTest {};

TEST_F(PathUtil, CombineJoinsWithOneSeparator)
{
    char result[257] = "untouched";
    char dir[64] = "C:\\kit\\";
    kt_combine_path(dir, "file.xls", result);
    EXPECT_STREQ(result, "C:\\kit\\file.xls");
    EXPECT_STREQ(dir, "C:\\kit") << "the trailing separator is removed from the directory itself";

    char dir2[64] = "C:/kit/";
    kt_combine_path(dir2, "\\templates", result);
    EXPECT_STREQ(result, "C:/kit\\templates");

    char empty[8] = "";
    kt_combine_path(empty, "app", result);
    EXPECT_STREQ(result, "\\app");

    kt_combine_path(nullptr, "only-name", result);
    EXPECT_STREQ(result, "only-name");
    char dir3[8] = "d";
    kt_combine_path(dir3, nullptr, result);
    EXPECT_STREQ(result, "d");
    std::strcpy(result, "kept");
    kt_combine_path(nullptr, nullptr, result);
    EXPECT_STREQ(result, "kept");

    std::string long_dir(250, 'd');
    std::string long_name(10, 'n');
    EXPECT_EQ(kt_combine_path(long_dir.data(), long_name.c_str(), result), -1);
    EXPECT_STREQ(result, "") << "a path longer than its buffer is refused, not cut";
}

TEST_F(PathUtil, ExpandEnvironmentReference)
{
    vexa::sim::set_env("KIT_ROOT", "D:/kits/");
    char result[256] = "";
    EXPECT_EQ(kt_expand_env_path("${KIT_ROOT}/cavora/${KIT_ROOT}", result), 0);
    EXPECT_STREQ(result, "D:\\kits\\cavora\\D:\\kits");

    result[0] = '\0';
    EXPECT_EQ(kt_expand_env_path("plain/path", result), 0);
    EXPECT_STREQ(result, "plain/path") << "a path without a reference is copied unchanged";

    result[0] = '\0';
    EXPECT_EQ(kt_expand_env_path("${KIT_ROOT/x", result), 0);
    EXPECT_STREQ(result, "") << "an unterminated reference writes nothing";

    vexa::sim::unset_env("NOT_SET");
    EXPECT_EQ(kt_expand_env_path("${NOT_SET}/x", result), -1);
    EXPECT_STREQ(result, "${NOT_SET}/x");
    ASSERT_EQ(message_boxes().size(), 1u);
    EXPECT_EQ(message_boxes()[0], "The environment variable <NOT_SET> does not exist.");
}

TEST_F(PathUtil, StrivoKitFile)
{
    char result[257] = "";
    vexa::sim::unset_env("STRIVO_DIR");
    EXPECT_EQ(kt_ask_strivo_kit_file("configuration", "stv_setting.xls", result), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{"No STRIVO_DIR environment variable."});

    vexa::sim::set_env("STRIVO_DIR", "/opt/kit/strivo/");
    EXPECT_EQ(kt_ask_strivo_kit_file("/configuration/", "stv_setting.xls", result), 0);
    EXPECT_STREQ(result, "\\opt\\kit\\strivo\\configuration\\stv_setting.xls");
    EXPECT_EQ(kt_ask_strivo_kit_file("templates", nullptr, result), 0);
    EXPECT_STREQ(result, "\\opt\\kit\\strivo\\templates");
}

TEST_F(PathUtil, TemporaryFileName)
{
    char path[257] = "untouched";
    vexa::sim::unset_env("KRAX_TMP_DIR");
    EXPECT_EQ(KT_FILE_create_temp_file(path), 0);
    EXPECT_STREQ(path, "untouched");

    vexa::sim::set_env("KRAX_TMP_DIR", "C:/tmp/ ");
    EXPECT_EQ(KT_FILE_create_temp_file(path), 0);
    std::string p(path);
    ASSERT_EQ(p.rfind("C:\\tmp\\", 0), 0u) << p;
    EXPECT_EQ(p.find('\\', 7), std::string::npos) << "the trailing separator is not doubled";
    EXPECT_GT(p.size(), 7u);
}
