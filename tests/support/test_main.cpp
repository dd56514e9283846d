// Test entry point for every test binary. Integration tests refuse to run without the headless
// desktop rather than pass by doing nothing: a skipped integration test is a failure.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class FailOnSkip : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.skipped() && std::getenv("ZEL_DESKTOP_STATE") != nullptr) {
            std::fprintf(stderr, "a test was skipped on the headless desktop: %s\n", result.message());
            failed = true;
        }
    }

public:
    bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    auto* listener = new FailOnSkip;
    testing::UnitTest::GetInstance()->listeners().Append(listener);  // gtest owns it
    const int rc = RUN_ALL_TESTS();
    return (rc != 0 || listener->failed) ? 1 : 0;
}
