#include "engine/RunStatus.h"

namespace brellow {

void ShowRunningWhile(StatusLine& line, const std::function<void()>& run, StatusAfterRun after)
{
    const std::string earlier = line.StatusText();
    line.SetStatusText(kBackupRunningText);
    try {
        run();
    } catch (...) {
        line.SetStatusText(earlier);
        throw;
    }
    line.SetStatusText(after == StatusAfterRun::Earlier ? earlier : std::string());
}

}  // namespace brellow
