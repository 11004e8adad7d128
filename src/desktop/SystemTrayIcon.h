#pragma once

#include <QSystemTrayIcon>

#include "desktop/TrayIcon.h"

namespace brellow {

// The icon in the desktop's notification area.
class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);

    bool IsAvailable() const override;
    void Show(const QIcon& icon, const QString& toolTip, QMenu* menu) override;
    void ShowBalloon(const QString& title, const QString& text) override;

private:
    QSystemTrayIcon icon_;
};

}  // namespace brellow
