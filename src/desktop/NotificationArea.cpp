#include "desktop/NotificationArea.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace brellow {

namespace {

constexpr std::chrono::seconds kAreaWaitLimit{30};
constexpr std::chrono::seconds kAreaLookInterval{1};
constexpr int kBusCallTimeoutMs = 2000;

const char* const kWatcherService = "org.kde.StatusNotifierWatcher";
const char* const kWatcherPath = "/StatusNotifierWatcher";

// Qt takes the StatusNotifier route only when the watcher also reports a host that shows icons.
bool StatusNotifierHostPresent()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QLatin1String(kWatcherService)))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(kWatcherService), QLatin1String(kWatcherPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QLatin1String(kWatcherService) << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

bool XEmbedTrayPresent()
{
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    bool owned = false;
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(selection.size()), selection.c_str()),
        nullptr);
    if (atom) {
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_NONE;
        std::free(owner);
        std::free(atom);
    }
    xcb_disconnect(connection);
    return owned;
}

}  // namespace

bool NotificationAreaPresent()
{
    if (StatusNotifierHostPresent())
        return true;
    // An X tray helps only a program that itself talks to X.
    return qGuiApp && qGuiApp->platformName() == QLatin1String("xcb") && XEmbedTrayPresent();
}

bool AwaitNotificationArea(const std::function<bool()>& present, const StartupWaiter& waiter)
{
    return WaitUntil(present, kAreaWaitLimit, kAreaLookInterval, waiter);
}

}  // namespace brellow
