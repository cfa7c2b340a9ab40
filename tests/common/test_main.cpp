// Test main shared by every suite. Each test starts with a fresh headless
// host session and, in suites built from the library's objects, fresh
// library module state (no handle cached by an earlier test survives), and
// ends with the library's module state put back (its connection closed, its
// port forgotten), so no test resets library state by hand. A test that ends
// with host memory blocks still live fails (a leak is a failing test).
#include "vexahost/session.h"

#include <gtest/gtest.h>

// Defined by the library's objects; absent (null) in suites that link the
// shared library, whose module state only its public API can change.
extern "C" void cvstv_reset_module_state(void) __attribute__((weak));

namespace {

class HostSessionListener : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo &) override
    {
        if (cvstv_reset_module_state)
            cvstv_reset_module_state();
        vexa::sim::reset();
        blocks_at_start_ = vexa::sim::live_blocks();
    }
    void OnTestEnd(const testing::TestInfo &info) override
    {
        vexa::sim::fail_allocations_after(-1);
        if (cvstv_reset_module_state)
            cvstv_reset_module_state();
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
