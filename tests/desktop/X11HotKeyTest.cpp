#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <vector>

#include "desktop/X11HotKey.h"

using namespace brellow;

TEST(X11HotKeyTest, EachCombinationIsGrabbedAloneAndWithCapsLockAndNumLock)
{
    const uint16_t controlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
    const std::vector<uint16_t> expected{controlShift, controlShift | XCB_MOD_MASK_LOCK,
                                         controlShift | XCB_MOD_MASK_2,
                                         controlShift | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
    EXPECT_EQ(X11GrabMasks(HotKey::kModControl | HotKey::kModShift), expected);
    EXPECT_EQ(X11GrabMasks(HotKey::kModAlt | HotKey::kModSuper).front(), XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
}
