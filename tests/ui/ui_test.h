// Fixture of the dialog and selection tests: dialogs opened from the test
// dialog files, and what the headless host holds of them.
#ifndef CVSTV_TESTS_UI_TEST_H
#define CVSTV_TESTS_UI_TEST_H

#include "host_test.h"

#include <string>

class UiTest : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        vexa::sim::add_dialog_directory(CVSTV_TEST_RESOURCES "/dialogs");
    }

    // Opens a test dialog beside the test (as an application keeps a dialog
    // open while the user works).
    static int open(const std::string &file)
    {
        std::string error;
        int id = vexa::sim::open_dialog(file, &error);
        EXPECT_GT(id, 0) << error;
        return id;
    }

    static vexa::sim::ItemState item(int dialog, const std::string &id)
    {
        vexa::sim::ItemState s;
        EXPECT_TRUE(vexa::sim::item_state(dialog, id, s)) << id;
        return s;
    }

    static vexa::sim::DialogState dialog(int id)
    {
        vexa::sim::DialogState s;
        EXPECT_TRUE(vexa::sim::dialog_state(id, s));
        return s;
    }

    static bool highlighted(vexa::sim::tag_t object)
    {
        vexa::sim::ObjectInfo info;
        return vexa::sim::object_info(object, info) && info.highlighted;
    }
};

#endif
