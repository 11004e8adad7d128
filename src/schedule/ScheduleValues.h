#pragma once

#include <string>

#include "store/Store.h"

namespace brellow {

// The interval a stored bk_type names: "0" daily, "1" weekly, anything else monthly.
IntervalKind StoredIntervalKind(const std::string& storedKind);

}  // namespace brellow
