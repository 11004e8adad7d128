#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Paths.h"

using namespace brellow;

TEST(PathsTest, DriveOfPathIsTheVolumeHoldingThePath)
{
    const std::vector<std::string> roots{"/", "/home", "/media/usb"};
    const struct {
        std::string path;
        std::string drive;
    } cases[] = {
        {"/home/ann/docs", "/home"},
        {"/home", "/home"},
        {"/home/", "/home"},
        {"/homework/x", "/"},
        {"/media/usb", "/media/usb"},
        {"/media/usb2/x", "/"},
        {"/", "/"},
        {"/データ/写真", "/"},
        {"docs/x", ""},
        {"", ""},
    };
    for (const auto& row : cases)
        EXPECT_EQ(DriveOfPath(row.path, roots), row.drive) << row.path;
    EXPECT_EQ(DriveOfPath("/etc", {"/home"}), "");
}
