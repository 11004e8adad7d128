// The test program's application object: the program's own, so that errors leaving event
// handlers take the same road as in the program.
#include <gtest/gtest.h>

#include <memory>

#include "ui/ErrorReportingApplication.h"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { application_ = std::make_unique<brellow::ErrorReportingApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[18] = "main_window_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<brellow::ErrorReportingApplication> application_;
};

const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
