// Fixture for tests that use the headless host: checks, at the end of each
// test, that no host memory block is left live, so the failure is reported on
// the test that leaked.
#ifndef CVSTV_TESTS_HOST_TEST_H
#define CVSTV_TESTS_HOST_TEST_H

#include "vexahost/session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class HostTest : public testing::Test {
  protected:
    void SetUp() override { blocks_at_start_ = vexa::sim::live_blocks(); }
    void TearDown() override
    {
        vexa::sim::fail_allocations_after(-1);
        EXPECT_EQ(vexa::sim::live_blocks(), blocks_at_start_) << "host memory blocks leaked";
    }

    static std::vector<std::string> message_boxes()
    {
        return vexa::sim::texts(vexa::sim::Entry::message_box);
    }
    static std::vector<std::string> dialogs() { return vexa::sim::texts(vexa::sim::Entry::message_dialog); }

  private:
    std::size_t blocks_at_start_ = 0;
};

#endif
