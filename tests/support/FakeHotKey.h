#pragma once

#include <utility>
#include <vector>

#include "desktop/HotKey.h"

namespace brellow::testing {

// A hot key that remembers what it was asked to hold.
class FakeHotKey : public HotKey {
public:
    void Register(int modifiers, int virtualKey) override { registered.emplace_back(modifiers, virtualKey); }
    void Unregister() override { ++unregistered; }

    void Press(quint32 modifiersAndKey) { emit Pressed(modifiersAndKey); }

    std::vector<std::pair<int, int>> registered;
    int unregistered = 0;
};

}  // namespace brellow::testing
