#include "desktop/SystemTrayIcon.h"

namespace brellow {

namespace {
// Handed on unchanged; the notification area applies its own minimum.
constexpr int kBalloonTimeoutMs = 15;
}  // namespace

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent)
{
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit Clicked();
    });
}

bool SystemTrayIcon::IsAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::Show(const QIcon& icon, const QString& toolTip, QMenu* menu)
{
    icon_.setIcon(icon);
    icon_.setToolTip(toolTip);
    icon_.setContextMenu(menu);
    icon_.show();
}

void SystemTrayIcon::ShowBalloon(const QString& title, const QString& text)
{
    icon_.showMessage(title, text, QSystemTrayIcon::Information, kBalloonTimeoutMs);
}

}  // namespace brellow
