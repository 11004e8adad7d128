#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>

#include "desktop/HotKey.h"
#include "desktop/TrayIcon.h"
#include "engine/BackupRun.h"
#include "platform/Clock.h"
#include "platform/LocaleSettings.h"
#include "schedule/AutoRun.h"

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTimer;

namespace brellow {

// The main window: it owns the tray icon, the hot key, both menus, the status line, the
// two buttons and the once-a-second timer. Creating it prepares the store and switches
// automatic execution on; it stays hidden until the user asks for it.
class TfrmMain : public QMainWindow, public BackupRunHost, public AutoRunView {
    Q_OBJECT
public:
    // Raises when the tray cannot take the icon; the program cannot run without it. The hot
    // key is registered at start-up and released when the window closes.
    TfrmMain(std::unique_ptr<TrayIcon> tray, std::unique_ptr<HotKey> hotKey, const Clock& clock,
             const LocaleSettings& locale, std::string companionProgram = std::string(), QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The windows the menus open, handed over by the entry once they exist.
    void UseWindows(QDialog& version, QDialog& targetList, QDialog& history);

    // The run and the automatic-execution switch. RunBackup answers the number of entries
    // that could not be copied.
    int RunBackup();
    void ToggleAutoRun();
    void LoadSchedule();
    void CheckSchedule();

    // Event handlers.
    void S1Click();
    void E1Click();
    void H1Click();
    void N1Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N6Click();
    void N7Click();
    void cxBtnAutoClick();
    void cxBtnManClick();
    void Timer1Timer();
    // The hot key: modifiers in the low 16 bits, the key in the high 16.
    void WMHotKey(quint32 lParam);
    // The tray callback message from outside; lParam is the mouse message.
    void WMUser100(int lParam);

    // BackupRunHost
    void ShowRunStartedBalloon() override;
    // AutoRunView
    void SetMenuItemState(AutoRunMenuItem item, bool enabled, bool checked) override;
    void SetAutoButtonCaption(const std::string& caption) override;
    void SetAutoButtonGreen(bool green) override;
    void StartTimer() override;
    void StopTimer() override;
    void SetStatusText(const std::string& text) override;
    std::string StatusText() const override;
    void HideWindow() override;

    // 1 from a start that had to create the pair table until the settings are opened.
    int FirstRun = 0;
    int HotKeyVirtualKey = 0;
    int HotKeyModifiers = 0;

    QPushButton* cxBtnAuto;
    QPushButton* cxBtnMan;
    QStatusBar* StatusBar1;
    QTimer* Timer1;
    QMenu* F1;
    QAction* S1;
    QAction* E1;
    QMenu* V1;
    QAction* H1;
    QAction* N1;
    QMenu* R1;
    QAction* A1;
    QAction* B1;
    QAction* G1;
    QMenu* H2;
    QAction* N2;
    QMenu* PopupMenu1;
    QAction* N3;
    QAction* N4;
    QAction* N5;
    QAction* N6;
    QAction* N7;

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void ShowTrayIcon();
    void FormCreate();
    void FormShow();
    void FormClose();
    void ShowMainWindow();
    // A scheduled run that could not copy everything says so at its end.
    void ShowFailuresBalloon(int failures);
    // The tray menu, at the mouse.
    void PopUpTrayMenu();
    void OpenModal(QDialog* window);

    QLabel* statusLabel_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<HotKey> hotKey_;
    BackupRun backupRun_;
    AutoRun autoRun_;
    QPointer<QDialog> version_;
    QPointer<QDialog> targetList_;
    QPointer<QDialog> history_;
};

}  // namespace brellow
