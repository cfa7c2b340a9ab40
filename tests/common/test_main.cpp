// Test main shared by every suite. Each test starts with a fresh headless
// host session; a test that ends with host memory blocks still live fails
// (a leak is a failing test).
#include "vexahost/session.h"

#include <gtest/gtest.h>

namespace {

class HostSessionListener : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo &) override
    {
        vexa::sim::reset();
        vexa::sim::fail_allocations_after(-1);
        blocks_at_start_ = vexa::sim::live_blocks();
    }
    void OnTestEnd(const testing::TestInfo &info) override
    {
        vexa::sim::fail_allocations_after(-1);
        std::size_t live = vexa::sim::live_blocks();
        if (live != blocks_at_start_) {
            ++leaking_tests_;
            std::fprintf(stderr, "[  LEAK    ] %s.%s left %zu host memory block(s) live\n",
                         info.test_suite_name(), info.name(), live - blocks_at_start_);
        }
    }
    int leaking_tests() const { return leaking_tests_; }

private:
    std::size_t blocks_at_start_ = 0;
    int leaking_tests_ = 0;
};

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    auto *listener = new HostSessionListener;
    testing::UnitTest::GetInstance()->listeners().Append(listener);
    int status = RUN_ALL_TESTS();
    if (listener->leaking_tests() > 0) {
        std::fprintf(stderr, "%d test(s) leaked host memory\n", listener->leaking_tests());
        return 1;
    }
    return status;
}
