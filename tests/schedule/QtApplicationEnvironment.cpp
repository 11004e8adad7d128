#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

// One QApplication for every test of the program (the platform is set offscreen by the
// test runner).
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "brellow_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
