#pragma once

#include <functional>
#include <memory>

#include "desktop/HotKey.h"

namespace brellow {

enum class HotKeyKind { X11, Portal, None };

// Which hot key can deliver the combination. A Wayland session (a native Wayland window, or
// X11 through XWayland, whose grab sees only keys meant for X11 windows) takes the portal's
// global shortcuts where the portal offers them; otherwise an X11 connection takes the grab.
// The portal is asked only in a Wayland session.
HotKeyKind ChooseHotKey(bool waylandSession, bool x11Connection, const std::function<bool()>& portalOffersShortcuts);

// The hot key for the running application's display. Where nothing can deliver the
// combination, the one returned says so once on standard error when registered.
std::unique_ptr<HotKey> MakeHotKey();

}  // namespace brellow
