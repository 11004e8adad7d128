#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace brellow {

// Accepts the main window's tray callback from other programs over the session D-Bus:
//   service org.brellow.Brellow2, object /MainWindow,
//   method org.brellow.Brellow2.MainWindow.TrayCallback(int32 mouseMessage)
// The copy that runs for a store also holds that store's own name (SingleInstance), so a
// second start reaches it even when a copy for another store holds the common name.
// Without a session bus the callback is simply not offered.
class TrayCallbackService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.brellow.Brellow2.MainWindow")
public:
    static constexpr const char* kServiceName = "org.brellow.Brellow2";
    static constexpr const char* kObjectPath = "/MainWindow";
    static constexpr const char* kInterfaceName = "org.brellow.Brellow2.MainWindow";

    explicit TrayCallbackService(std::function<void(int)> handler, QObject* parent = nullptr);
    ~TrayCallbackService() override;

    // Offers the callback under the store's own name and, when free, the common name.
    // Answers whether it is now offered under the store's name.
    bool Register(const QString& instanceName);

public slots:
    Q_SCRIPTABLE void TrayCallback(int mouseMessage);

private:
    std::function<void(int)> handler_;
    bool registered_ = false;
    QString instanceName_;
    bool holdsCommonName_ = false;
};

}  // namespace brellow
