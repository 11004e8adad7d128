// The program's entry: every window is made once, the main window stays hidden, and the
// program lives in the notification area until the main window is closed.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <exception>
#include <memory>

#include "desktop/HotKeyChoice.h"
#include "desktop/NotificationArea.h"
#include "desktop/SingleInstance.h"
#include "desktop/SystemTrayIcon.h"
#include "desktop/TrayCallbackService.h"
#include "platform/StopRequest.h"
#include "store/Store.h"
#include "ui/ConfirmationDialog.h"
#include "ui/FolderPairDialog.h"
#include "ui/HistoryWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScheduleDialog.h"
#include "ui/TargetListWindow.h"
#include "ui/VersionDialog.h"
#include "widgets/ErrorReportingApplication.h"
#include "widgets/MessageBoxes.h"

using namespace brellow;

int main(int argc, char** argv)
{
    ErrorReportingApplication application(argc, argv);
    // Only closing the main window ends the program, not closing the last visible window:
    // a settings window opened from the tray is often the only one on screen.
    application.setQuitOnLastWindowClosed(false);

    // One copy per store: a second start brings the first one's window up and ends.
    SingleInstance instance(StorePath());
    if (!instance.Claim(StartupWaiter::Real()))
        return 0;
    // Started with the session, the program may come before the panel; the main window's
    // tray icon reports it when none has come after the wait.
    AwaitNotificationArea(NotificationAreaPresent, StartupWaiter::Real());

    // The user's time and date conventions are read once, here, and handed to whoever needs them.
    const LocaleSettings locale = LocaleSettings::FromEnvironment();
    UseStoreLocale(locale);

    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = std::make_unique<TfrmMain>(std::make_unique<SystemTrayIcon>(), MakeHotKey(), DefaultClock(), locale);
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromUtf8(error.what()));
        return 1;
    }
    // Leaves every event loop at once, a modal window's included, without closing windows again.
    QObject::connect(frmMain.get(), &TfrmMain::Closed, &application, [] { QCoreApplication::exit(0); });

    // The other windows belong to the main window and are owned by it.
    auto* dlgVersion = new TDlgVersion(frmMain.get());
    auto* frmSchedule = new TfrmSchedule(locale, frmMain.get());
    auto* okRightDlg2 = new TOKRightDlg2(frmMain.get());
    auto* frmTrgList = new TfrmTrgList(frmMain.get());
    auto* dlgPickFolder = new TDlgPickFolder(frmMain.get());
    auto* frmLogList = new TfrmLogList(frmMain.get());
    frmTrgList->UseDialogs(*frmSchedule, *okRightDlg2, *dlgPickFolder);
    frmMain->UseWindows(*dlgVersion, *frmTrgList, *frmLogList);

    // SIGTERM, SIGINT and SIGHUP (logout) close the program like its own menu: a run under
    // way winds down first (see StopRequest.h), then the main window closes.
    InstallStopSignals();
    QSocketNotifier stopNotifier(StopNotifier(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, frmMain.get(), [&frmMain] { frmMain->close(); });

    TrayCallbackService trayCallback([&frmMain](int mouseMessage) { frmMain->WMUser100(mouseMessage); });
    trayCallback.Register(instance.BusName());

    return application.exec();
}
