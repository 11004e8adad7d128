#pragma once

#include <QObject>

#include <functional>

namespace brellow {

// Accepts the main window's tray callback from other programs over the session D-Bus:
//   service org.brellow.Brellow2, object /MainWindow,
//   method org.brellow.Brellow2.MainWindow.TrayCallback(int32 mouseMessage)
// Without a session bus, or when the name is taken, the callback is simply not offered.
class TrayCallbackService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.brellow.Brellow2.MainWindow")
public:
    static constexpr const char* kServiceName = "org.brellow.Brellow2";
    static constexpr const char* kObjectPath = "/MainWindow";

    explicit TrayCallbackService(std::function<void(int)> handler, QObject* parent = nullptr);
    ~TrayCallbackService() override;

    // Answers whether the callback is now offered on the session bus.
    bool Register();

public slots:
    Q_SCRIPTABLE void TrayCallback(int mouseMessage);

private:
    std::function<void(int)> handler_;
    bool registered_ = false;
};

}  // namespace brellow
