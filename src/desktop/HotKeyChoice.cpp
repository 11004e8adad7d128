#include "desktop/HotKeyChoice.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "desktop/PortalHotKey.h"
#include "desktop/X11HotKey.h"

namespace brellow {

namespace {

// A display where no hot key can arrive.
class UnavailableHotKey : public HotKey {
public:
    void Register(int, int) override
    {
        if (said_)
            return;
        said_ = true;
        SayUnavailable("the session is Wayland and its desktop portal offers no global shortcuts "
                       "(org.freedesktop.portal.GlobalShortcuts)");
    }
    void Unregister() override {}

private:
    bool said_ = false;
};

bool IsWaylandSession()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

HotKeyKind ChooseHotKey(bool waylandSession, bool x11Connection, const std::function<bool()>& portalOffersShortcuts)
{
    if (waylandSession && portalOffersShortcuts())
        return HotKeyKind::Portal;
    if (x11Connection)
        return HotKeyKind::X11;
    return HotKeyKind::None;
}

std::unique_ptr<HotKey> MakeHotKey()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    switch (ChooseHotKey(IsWaylandSession(), QtX11Connection() != nullptr, [&bus] { return PortalHotKey::Offered(bus); })) {
    case HotKeyKind::Portal: return std::make_unique<PortalHotKey>(bus);
    case HotKeyKind::X11: return std::make_unique<X11HotKey>();
    case HotKeyKind::None: break;
    }
    return std::make_unique<UnavailableHotKey>();
}

}  // namespace brellow
