#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;

namespace brellow {

// The notification-area icon as the main window uses it. The program uses the system's
// tray; tests put their own in its place.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether a notification area exists to hold the icon.
    virtual bool IsAvailable() const = 0;
    // Puts the icon into the notification area; a right click opens the menu there.
    virtual void Show(const QIcon& icon, const QString& toolTip, QMenu* menu) = 0;
    // An information balloon, shown long enough to be read and drawn before this returns.
    virtual void ShowBalloon(const QString& title, const QString& text) = 0;

signals:
    // A left click or a double click on the icon.
    void Clicked();
};

}  // namespace brellow
