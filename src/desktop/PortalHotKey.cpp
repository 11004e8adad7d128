#include "desktop/PortalHotKey.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace brellow {

namespace {

// One entry of BindShortcuts' list, a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace

}  // namespace brellow

Q_DECLARE_METATYPE(brellow::PortalShortcut)

namespace brellow {

namespace {

constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
constexpr const char* kDescription = "Brellow2 のメインウィンドウを表示";
// How long the start-up waits for a portal to say what it offers.
constexpr int kOfferedTimeoutMs = 5000;

// The session handle comes as an object path, from some portals as a string.
QString PathOf(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

}  // namespace

QString PortalTrigger(int modifiers, int virtualKey)
{
    QString trigger;
    if (modifiers & HotKey::kModControl)
        trigger += QStringLiteral("CTRL+");
    if (modifiers & HotKey::kModAlt)
        trigger += QStringLiteral("ALT+");
    if (modifiers & HotKey::kModShift)
        trigger += QStringLiteral("SHIFT+");
    if (modifiers & HotKey::kModSuper)
        trigger += QStringLiteral("LOGO+");
    return trigger + QChar(virtualKey).toLower();
}

bool PortalHotKey::Offered(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QString::fromLatin1(kInterface) << QStringLiteral("version");
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, kOfferedTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

PortalHotKey::PortalHotKey(const QDBusConnection& bus, QObject* parent) : HotKey(parent), bus_(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalHotKey::~PortalHotKey()
{
    Unregister();
}

void PortalHotKey::Register(int modifiers, int virtualKey)
{
    Unregister();
    trigger_ = PortalTrigger(modifiers, virtualKey);
    modifiersAndKey_ = static_cast<quint32>(modifiers & 0xFFFF) | (static_cast<quint32>(virtualKey) << 16);
    stage_ = Stage::CreatingSession;
    Request(QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), QStringLiteral("brellow2_%1").arg(++requests_)}});
}

void PortalHotKey::Unregister()
{
    StopListeningToRequest();
    if (!sessionPath_.isEmpty()) {
        bus_.disconnect(kService, kObjectPath, kInterface, QStringLiteral("Activated"), this,
                        SLOT(ShortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        bus_.asyncCall(QDBusMessage::createMethodCall(kService, sessionPath_, kSessionInterface, QStringLiteral("Close")));
        sessionPath_.clear();
    }
    stage_ = Stage::Idle;
}

void PortalHotKey::Request(const QString& method, QList<QVariant> arguments, QVariantMap options)
{
    const QString token = QStringLiteral("brellow2_%1").arg(++requests_);
    options.insert(QStringLiteral("handle_token"), token);
    // The portal makes the request object at a path it derives from our name and the token.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    ListenToRequest(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kInterface, method);
    arguments.append(options);
    call.setArguments(arguments);
    const Stage stage = stage_;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, stage] {
        watcher->deleteLater();
        if (stage_ != stage)
            return;
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            Fail(QStringLiteral("the desktop portal refused %1: %2").arg(reply.error().name(), reply.error().message()));
            return;
        }
        // Older portals chose the path themselves.
        if (reply.value().path() != requestPath_)
            ListenToRequest(reply.value().path());
    });
}

void PortalHotKey::ListenToRequest(const QString& path)
{
    StopListeningToRequest();
    requestPath_ = path;
    bus_.connect(kService, requestPath_, kRequestInterface, QStringLiteral("Response"), this,
                 SLOT(RequestAnswered(uint, QVariantMap)));
}

void PortalHotKey::StopListeningToRequest()
{
    if (requestPath_.isEmpty())
        return;
    bus_.disconnect(kService, requestPath_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(RequestAnswered(uint, QVariantMap)));
    requestPath_.clear();
}

void PortalHotKey::RequestAnswered(uint response, const QVariantMap& results)
{
    StopListeningToRequest();
    if (stage_ == Stage::CreatingSession) {
        if (response != 0) {
            Fail(QStringLiteral("the desktop portal made no shortcut session"));
            return;
        }
        sessionPath_ = PathOf(results.value(QStringLiteral("session_handle")));
        if (sessionPath_.isEmpty()) {
            Fail(QStringLiteral("the desktop portal named no shortcut session"));
            return;
        }
        bus_.connect(kService, kObjectPath, kInterface, QStringLiteral("Activated"), this,
                     SLOT(ShortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        const QVariantMap properties{{QStringLiteral("description"), QString::fromUtf8(kDescription)},
                                     {QStringLiteral("preferred_trigger"), trigger_}};
        const QList<PortalShortcut> shortcuts{{QString::fromLatin1(kShortcutId), properties}};
        stage_ = Stage::Binding;
        Request(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QVariant::fromValue(shortcuts), QString()}, {});
    } else if (stage_ == Stage::Binding) {
        if (response != 0) {
            Fail(QStringLiteral("the desktop did not bind %1").arg(trigger_));
            return;
        }
        stage_ = Stage::Bound;
    }
}

void PortalHotKey::ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong,
                                     const QVariantMap&)
{
    if (stage_ == Stage::Bound && session.path() == sessionPath_ && shortcutId == QLatin1String(kShortcutId))
        emit Pressed(modifiersAndKey_);
}

void PortalHotKey::Fail(const QString& why)
{
    Unregister();
    SayUnavailable(why.toUtf8().constData());
}

}  // namespace brellow
