#pragma once

#include <functional>

#include "desktop/StartupWait.h"

namespace brellow {

// Whether a notification area is there to take an icon: a StatusNotifier watcher with a host
// on the session bus, or, on X11, an XEmbed tray owning the display's tray selection.
bool NotificationAreaPresent();

// At session start the program may come before the panel. Qt decides once per process
// whether a notification area exists, so this runs before the first tray icon is made: it
// waits up to 30 seconds, looking about once a second. Answers whether one came.
bool AwaitNotificationArea(const std::function<bool()>& present, const StartupWaiter& waiter);

}  // namespace brellow
