#pragma once

#include <cstdint>

namespace brellow {

// One on/off flag: 0 = off, 1 = on.
class TStacFlg {
public:
    // 0 becomes 1; any other value becomes 0.
    void Toggle();
    void Clear();
    int32_t Value() const;

private:
    int32_t flag = 0;
};

}  // namespace brellow
