#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"

namespace brellow::testing {

// A fresh prepared store (default schedule row) in a temporary folder.
class ScheduleStoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the stored schedule with one row; the kind is written as given.
    void StoreSchedule(const std::string& kind, const std::string& week, const std::string& month,
                       const std::string& time);
    // Every row of m_schedule as "kind|week|month|time".
    std::vector<std::string> StoredRows();

    TempFolder folder;
};

}  // namespace brellow::testing
