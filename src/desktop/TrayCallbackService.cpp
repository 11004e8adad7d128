#include "desktop/TrayCallbackService.h"

#include <QDBusConnection>

#include "widgets/MessageBoxes.h"

namespace brellow {

TrayCallbackService::TrayCallbackService(std::function<void(int)> handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler))
{
}

TrayCallbackService::~TrayCallbackService()
{
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QLatin1String(kObjectPath));
    bus.unregisterService(instanceName_);
    if (holdsCommonName_)
        bus.unregisterService(QLatin1String(kServiceName));
}

bool TrayCallbackService::Register(const QString& instanceName)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportScriptableSlots))
        return false;
    if (!bus.registerService(instanceName)) {
        bus.unregisterObject(QLatin1String(kObjectPath));
        return false;
    }
    instanceName_ = instanceName;
    holdsCommonName_ = bus.registerService(QLatin1String(kServiceName));
    registered_ = true;
    return true;
}

void TrayCallbackService::TrayCallback(int mouseMessage)
{
    // A call from the bus is a message to the window: its errors go to the error box.
    ReportErrors([&] { handler_(mouseMessage); });
}

}  // namespace brellow
