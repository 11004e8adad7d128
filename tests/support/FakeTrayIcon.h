#pragma once

#include <QMenu>
#include <QPointer>

#include <functional>
#include <vector>

#include "desktop/TrayIcon.h"

namespace brellow::testing {

// A notification area that remembers what it was given.
class FakeTrayIcon : public TrayIcon {
public:
    struct Balloon {
        QString title;
        QString text;
    };

    explicit FakeTrayIcon(bool available = true) : available_(available) {}

    bool IsAvailable() const override { return available_; }
    void Show(const QIcon& icon, const QString& toolTip, QMenu* menu) override
    {
        shown = true;
        this->icon = icon;
        this->toolTip = toolTip;
        this->menu = menu;
    }
    void ShowBalloon(const QString& title, const QString& text) override
    {
        balloons.push_back({title, text});
        if (onBalloon)
            onBalloon();
    }

    void Click() { emit Clicked(); }

    bool shown = false;
    QIcon icon;
    QString toolTip;
    QPointer<QMenu> menu;
    std::vector<Balloon> balloons;
    std::function<void()> onBalloon;

private:
    bool available_;
};

}  // namespace brellow::testing
