#include "desktop/SystemTrayIcon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>
#include <QWidget>

namespace brellow {

namespace {

// Notification services on Linux apply no minimum display time of their own: a short
// time-out takes the notice away before anyone can read it.
constexpr int kBalloonTimeoutMs = 10000;
// How long the start of a run waits at most for the balloon to be drawn.
constexpr int kBalloonPaintLimitMs = 1000;

// Qt's own balloon, used where the tray is not a StatusNotifier host; none when the notice
// went to the desktop's notification service.
QWidget* QtBalloon()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qstrcmp(window->metaObject()->className(), "QBalloonTip") == 0)
            return window;
    }
    return nullptr;
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget& widget) : widget_(widget) { widget_.installEventFilter(this); }
    ~PaintWatch() override { widget_.removeEventFilter(this); }
    bool Painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &widget_ && event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    QWidget& widget_;
    bool painted_ = false;
};

// The run that follows holds the event loop, so the balloon is drawn now: window-system
// events only, no input and no timer (a timer tick could start a second run).
void PaintNow(QWidget& balloon)
{
    const PaintWatch watch(balloon);
    QDeadlineTimer limit(kBalloonPaintLimitMs);
    while (!watch.Painted() && !limit.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
        if (!watch.Painted())
            QThread::msleep(2);
    }
}

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
    if (QWidget* balloon = QtBalloon())
        PaintNow(*balloon);
}

}  // namespace brellow
