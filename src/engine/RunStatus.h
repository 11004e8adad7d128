#pragma once

#include <functional>
#include <string>

namespace brellow {

// What the status line says while a run is under way, whoever started it.
inline constexpr const char* kBackupRunningText = "バックアップを実行しています";

// The main window's status line, as a run uses it.
class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual std::string StatusText() const = 0;
};

// What the line says once a run has ended well.
enum class StatusAfterRun { Earlier, Empty };

// Shows kBackupRunningText while run lasts, then the text chosen by after. A run that
// raises puts the earlier text back before its error leaves, so the error box never finds
// "a backup is running" still on the line.
void ShowRunningWhile(StatusLine& line, const std::function<void()>& run, StatusAfterRun after);

}  // namespace brellow
