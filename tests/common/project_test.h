// Tests with the example mould project open: a copy of the project opened
// in the test's fresh session, its top part, and parts found by name.
#ifndef CVSTV_TESTS_PROJECT_TEST_H
#define CVSTV_TESTS_PROJECT_TEST_H

#include "host_test.h"
#include "project_files.h"

#include "hx_parts.h"

class ProjectTest : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        auto opened = vexa::sim::open_part(project_.top());
        ASSERT_EQ(opened.status, HX_OK);
        top_ = opened.part;
    }
    // A loaded part by its file name without directory and type.
    static tag_t part(const char *name) { return HX_PART_ask_part_tag(name); }

    cvstv_test::ProjectCopy project_;
    tag_t top_ = 0;
};

#endif
