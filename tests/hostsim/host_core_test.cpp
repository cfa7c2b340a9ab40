// The headless host's core services, as the library relies on them.
#include "host_test.h"

#include "hx_files.h"
#include "hx_library.h"
#include "hx_memory.h"
#include "hx_messages.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

using vexa::sim::Entry;

class HostCore : public HostTest {};

TEST_F(HostCore, AllocatorCountsLiveBlocksAndFailsOnRequest)
{
    std::size_t before = vexa::sim::live_blocks();
    int status = -1;
    void *a = HX_allocate_memory(10, &status);
    EXPECT_EQ(status, 0);
    char *z = static_cast<char *>(HX_zero_allocate_memory(8, nullptr));
    EXPECT_EQ(std::memcmp(z, "\0\0\0\0\0\0\0\0", 8), 0);
    char *s = HX_sprintf("%s-%d", "part", 7);
    EXPECT_STREQ(s, "part-7");
    EXPECT_EQ(vexa::sim::live_blocks(), before + 3);

    void *grown = HX_reallocate_memory(a, 1000, &status);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(vexa::sim::live_blocks(), before + 3) << "reallocation keeps the count";

    vexa::sim::fail_allocations_after(1);
    char *ok = HX_strdup("x");
    EXPECT_NE(ok, nullptr);
    EXPECT_EQ(HX_allocate_memory(1, &status), nullptr);
    EXPECT_NE(status, 0);
    EXPECT_EQ(HX_reallocate_memory(grown, 2000, &status), nullptr)
        << "a refused reallocation keeps the block";
    vexa::sim::fail_allocations_after(-1);

    for (void *p : {static_cast<void *>(ok), grown, static_cast<void *>(z), static_cast<void *>(s)})
        HX_free(p);
    HX_free(nullptr);
    EXPECT_EQ(vexa::sim::live_blocks(), before);
}

TEST_F(HostCore, MessagesAreJournaledAndDialogsAnswerAsScripted)
{
    vexa::sim::set_translation("Hello", "Bonjour");
    EXPECT_STREQ(HX_TEXT("Hello"), "Bonjour");
    EXPECT_STREQ(HX_TEXT("Untranslated"), "Untranslated");

    HX_message_box(HX_SEVERITY_ERROR, "bad thing");
    vexa::sim::push_dialog_answer(2);
    int answer = 0;
    HX_message_dialog("Question", HX_DIALOG_QUESTION, "Go on?", "Yes", "No", nullptr, &answer);
    EXPECT_EQ(answer, 2);
    HX_message_dialog("Question", HX_DIALOG_QUESTION, "Again?", "Yes", "No", nullptr, &answer);
    EXPECT_EQ(answer, 1) << "with no scripted answer the first button is pressed";
    vexa::sim::push_dialog_answer(3);
    HX_message_dialog("Info", HX_DIALOG_INFORMATION, "One button", "OK", nullptr, nullptr, &answer);
    EXPECT_EQ(answer, 1) << "an answer beyond the buttons shown falls back to the first";

    const auto &j = vexa::sim::journal();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[0].kind, Entry::message_box);
    EXPECT_EQ(j[0].severity, 1);
    EXPECT_EQ(j[0].text, "bad thing");
    EXPECT_EQ(j[1].title, "Question");
    EXPECT_EQ(j[1].response, 2);

    int open = 1;
    HX_listing_window_is_open(&open);
    EXPECT_EQ(open, 0);
    EXPECT_NE(HX_listing_window_write("lost"), 0) << "a closed listing window takes no text";
    HX_listing_window_open();
    HX_listing_window_write("line 1\n");
    HX_listing_window_write("line 2\n");
    EXPECT_EQ(vexa::sim::listing_text(), "line 1\nline 2\n");

    char text[HX_FAIL_MESSAGE_SIZE + 1];
    HX_get_fail_message(HX_ERR_NOT_FOUND, text);
    EXPECT_STREQ(text, "Object or file not found");
}

TEST_F(HostCore, EnvironmentOverridesComeBeforeTheProcessEnvironment)
{
    ::setenv("HOSTSIM_TEST_VARIABLE", "from-process", 1);
    char *value = nullptr;
    EXPECT_EQ(HX_translate_variable("HOSTSIM_TEST_VARIABLE", &value), 0);
    EXPECT_STREQ(value, "from-process");

    vexa::sim::set_env("HOSTSIM_TEST_VARIABLE", "overridden");
    EXPECT_EQ(HX_translate_variable("HOSTSIM_TEST_VARIABLE", &value), 0);
    EXPECT_STREQ(value, "overridden");

    vexa::sim::unset_env("HOSTSIM_TEST_VARIABLE");
    EXPECT_NE(HX_translate_variable("HOSTSIM_TEST_VARIABLE", &value), 0);
    EXPECT_EQ(value, nullptr);

    vexa::sim::reset();
    EXPECT_EQ(HX_translate_variable("HOSTSIM_TEST_VARIABLE", &value), 0);
    EXPECT_STREQ(value, "from-process");
    ::unsetenv("HOSTSIM_TEST_VARIABLE");
}

TEST_F(HostCore, FileServicesMapHostPathsToLocalOnes)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("hostsim_files_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.txt") << "x";
    std::string host_dir = dir.string();
    for (char &c : host_dir)
        if (c == '/')
            c = '\\';

    int code = -1;
    EXPECT_EQ(HX_file_exists((host_dir + "\\a.txt").c_str(), HX_FILE_TYPE_ANY, &code), 0);
    EXPECT_EQ(code, HX_FILE_EXISTS);
    HX_file_exists((host_dir + "\\b.txt").c_str(), HX_FILE_TYPE_ANY, &code);
    EXPECT_EQ(code, HX_FILE_MISSING);
    HX_file_exists(host_dir.c_str(), HX_FILE_TYPE_DIRECTORY, &code);
    EXPECT_EQ(code, HX_FILE_EXISTS);
    HX_file_exists(host_dir.c_str(), HX_FILE_TYPE_ANY, &code);
    EXPECT_EQ(code, HX_FILE_WRONG_TYPE);

    char local[16];
    EXPECT_EQ(HX_local_path("C:\\a\\b", local, sizeof local), 0);
    EXPECT_STREQ(local, "C:/a/b");
    EXPECT_EQ(HX_local_path("\\a-path-that-is-far-too-long", local, sizeof local), HX_ERR_TOO_LONG);
    EXPECT_STREQ(local, "");

    char merged[64];
    EXPECT_EQ(HX_merge_dir_and_name("C:\\dir", "f.prt", merged, sizeof merged), 0);
    EXPECT_STREQ(merged, "C:\\dir\\f.prt");

    char u1[HX_UNIQUE_NAME_SIZE + 1], u2[HX_UNIQUE_NAME_SIZE + 1];
    HX_unique_file_name(u1);
    HX_unique_file_name(u2);
    EXPECT_STRNE(u1, u2);
    EXPECT_EQ(std::strpbrk(u1, "\\/:"), nullptr) << "a bare name";

    vexa::sim::set_env("TMPDIR", "/var/tmp");
    const char *tmp = nullptr;
    HX_ask_temp_dir(&tmp);
    EXPECT_STREQ(tmp, "/var/tmp");
    fs::remove_all(dir);
}

TEST_F(HostCore, LoadLibraryReallyLoadsAndFindsTheEntry)
{
    void *entry = nullptr;
    ASSERT_EQ(HX_load_library(HOSTSIM_TEST_PLUGIN, "sample_plugin_entry", &entry), 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(reinterpret_cast<int (*)(int)>(entry)(2), 102);

    EXPECT_EQ(HX_load_library(HOSTSIM_TEST_PLUGIN, "no_such_entry", &entry), HX_ERR_NO_ENTRY);
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(HX_load_library("\\no\\such\\library.so", "e", &entry), HX_ERR_LOAD);
    EXPECT_EQ(vexa::sim::texts(Entry::syslog).size(), 1u) << "the loader's reason goes to the system log";
}
