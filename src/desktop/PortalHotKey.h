#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

#include "desktop/HotKey.h"

namespace brellow {

// A hot key's combination as the desktop portal's shortcuts write it: "CTRL+SHIFT+q".
QString PortalTrigger(int modifiers, int virtualKey);

// The hot key bound through the desktop portal's GlobalShortcuts interface. On Wayland no
// program sees another's keys; the portal binds the combination for us (the desktop may ask
// the user first) and reports each press with its Activated signal.
class PortalHotKey : public HotKey {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kObjectPath = "/org/freedesktop/portal/desktop";
    static constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";
    static constexpr const char* kShortcutId = "show-main-window";

    // Whether a portal on this bus offers global shortcuts; asks it, waiting a few seconds at most.
    static bool Offered(const QDBusConnection& bus);

    explicit PortalHotKey(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PortalHotKey() override;

    // Starts the binding; its outcome arrives later, a failure is said on standard error.
    void Register(int modifiers, int virtualKey) override;
    void Unregister() override;

private slots:
    void RequestAnswered(uint response, const QVariantMap& results);
    void ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
                           const QVariantMap& options);

private:
    enum class Stage { Idle, CreatingSession, Binding, Bound };

    // Calls a method that answers through a request object, whose Response comes to
    // RequestAnswered. The answer is listened for before the call, so none is missed.
    void Request(const QString& method, QList<QVariant> arguments, QVariantMap options);
    void ListenToRequest(const QString& path);
    void StopListeningToRequest();
    void Fail(const QString& why);

    QDBusConnection bus_;
    Stage stage_ = Stage::Idle;
    QString requestPath_;
    QString sessionPath_;
    QString trigger_;
    quint32 modifiersAndKey_ = 0;
    int requests_ = 0;
};

}  // namespace brellow
