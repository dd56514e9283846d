// One QApplication for the whole test binary, made before the first test and removed after the
// last, while Qt's own globals still live. Compiled into each test binary that needs widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <array>
#include <memory>

namespace {

class QtApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_.data()); }
    void TearDown() override { app_.reset(); }

private:
    char name_[16] = "zel-forms";
    int argc_ = 1;
    std::array<char*, 2> argv_{name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
