// One application object for every test of a GUI test program: the program's own, so that
// errors leaving event handlers take the same road as in the program. The platform is set
// offscreen by the test runner.
#include <gtest/gtest.h>

#include <memory>

#include "widgets/ErrorReportingApplication.h"

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { application_ = std::make_unique<brellow::ErrorReportingApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "brellow_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<brellow::ErrorReportingApplication> application_;
};

const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
