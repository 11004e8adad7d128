#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

#include "platform/StopRequest.h"
#include "store/Store.h"
#include "ui/Assets.h"
#include "widgets/MessageBoxes.h"
#include "widgets/WindowLook.h"

namespace brellow {

namespace {

const char* const kWindowCaption = "Brellow2 「データバックアップ」";
const char* const kTrayToolTip = "Brellow2";
const char* const kFirstRunText = "バックアップ情報を設定してください";
const char* const kRunFinishedText = "バックアップ終了";
const char* const kNoTrayText =
    "シェル通知アイコンが作成できません.\n"
    "通知領域（システムトレイ）が必要です。GNOME では AppIndicator 拡張機能などを有効にしてください";

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 101;
constexpr int kStatusBarHeight = 19;

// The hot key, Ctrl+Shift+Q.
constexpr int kHotKeyVirtualKey = 0x51;
constexpr int kHotKeyModifiers = HotKey::kModControl | HotKey::kModShift;

// Mouse messages of the tray callback.
constexpr int kLeftButtonDown = 513;
constexpr int kRightButtonDown = 516;

// "バックアップ終了", with a line on what could not be copied when anything could not.
std::string RunFinishedText(int failures)
{
    return failures == 0 ? kRunFinishedText : std::string(kRunFinishedText) + "\n" + FailureNoticeLine(failures);
}

bool OnWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool AnyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) { return window->isVisible(); });
}

QAction* AddItem(QMenu* menu, const char* caption, const QKeySequence& shortcut = QKeySequence())
{
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setShortcut(shortcut);
    return item;
}

}  // namespace

TfrmMain::TfrmMain(std::unique_ptr<TrayIcon> tray, std::unique_ptr<HotKey> hotKey, const Clock& clock,
                   const LocaleSettings& locale, std::string companionProgram, QWidget* parent)
    : QMainWindow(parent),
      tray_(std::move(tray)),
      hotKey_(std::move(hotKey)),
      backupRun_(*this, clock, locale, std::move(companionProgram)),
      autoRun_(*this, [this] { ShowFailuresBalloon(RunBackup()); }, clock, locale)
{
    BuildControls();
    BuildMenus();
    // The client area is the buttons' panel and the status line, below the menu bar.
    resize(kClientWidth, menuBar()->sizeHint().height() + kClientHeight);
    move(0, 0);
    connect(hotKey_.get(), &HotKey::Pressed, this, &TfrmMain::WMHotKey);
    ShowTrayIcon();
    ReportErrors([this] { FormCreate(); });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::BuildControls()
{
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setFont(JapaneseUiFontPoints(8));

    auto* client = new QWidget(this);
    PaintFace(*client, QColor(236, 253, 200));
    setCentralWidget(client);

    cxBtnAuto = new QPushButton(QStringLiteral("自動実行"), client);
    cxBtnAuto->setGeometry(96, 8, 105, 25);
    cxBtnMan = new QPushButton(QStringLiteral("直ぐに実行"), client);
    cxBtnMan->setGeometry(96, 47, 105, 25);
    setTabOrder(cxBtnAuto, cxBtnMan);
    connect(cxBtnAuto, &QPushButton::clicked, this, &TfrmMain::cxBtnAutoClick);
    connect(cxBtnMan, &QPushButton::clicked, this, &TfrmMain::cxBtnManClick);

    StatusBar1 = statusBar();
    statusLabel_ = new QLabel(StatusBar1);
    StatusBar1->addWidget(statusLabel_, 1);
    // Higher than 19 only where this system's font needs it.
    StatusBar1->setFixedHeight(std::max(kStatusBarHeight, StatusBar1->sizeHint().height()));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    FitButtonsToText(*this);
}

void TfrmMain::BuildMenus()
{
    F1 = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    S1 = AddItem(F1, "設定(&S)", QKeySequence(Qt::CTRL | Qt::Key_S));
    E1 = AddItem(F1, "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_X));
    V1 = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    H1 = AddItem(V1, "バックアップ履歴(&H)", QKeySequence(Qt::CTRL | Qt::Key_H));
    N1 = AddItem(V1, "隠す(&N)", QKeySequence(Qt::CTRL | Qt::Key_N));
    R1 = menuBar()->addMenu(QStringLiteral("実行(&R)"));
    A1 = AddItem(R1, "自動実行(&A)", QKeySequence(Qt::CTRL | Qt::Key_A));
    B1 = AddItem(R1, "自動実行停止(&B)", QKeySequence(Qt::CTRL | Qt::Key_B));
    G1 = AddItem(R1, "直ぐ実行(&G)", QKeySequence(Qt::CTRL | Qt::Key_G));
    H2 = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    N2 = AddItem(H2, "バージョン");

    PopupMenu1 = new QMenu(this);
    N3 = AddItem(PopupMenu1, "自動実行");
    N4 = AddItem(PopupMenu1, "自動実行停止");
    N5 = AddItem(PopupMenu1, "バックアップ設定");
    N6 = AddItem(PopupMenu1, "表示");
    N7 = AddItem(PopupMenu1, "終了");

    // Switched off, as the window is made; start-up switches on.
    SetMenuItemState(AutoRunMenuItem::A1, true, false);
    SetMenuItemState(AutoRunMenuItem::B1, false, true);
    SetMenuItemState(AutoRunMenuItem::N3, true, false);
    SetMenuItemState(AutoRunMenuItem::N4, false, false);

    // Choosing a checkable item flips its mark; the mark is put back first, and only the
    // switch sets the marks.
    for (QAction* item : {A1, B1, N3, N4})
        connect(item, &QAction::triggered, item, [item](bool checked) { item->setChecked(!checked); });
    connect(S1, &QAction::triggered, this, &TfrmMain::S1Click);
    connect(E1, &QAction::triggered, this, &TfrmMain::E1Click);
    connect(H1, &QAction::triggered, this, &TfrmMain::H1Click);
    connect(N1, &QAction::triggered, this, &TfrmMain::N1Click);
    connect(A1, &QAction::triggered, this, &TfrmMain::N3Click);
    connect(B1, &QAction::triggered, this, &TfrmMain::N4Click);
    // "Run now" in the menu does what the button of that name does.
    connect(G1, &QAction::triggered, this, &TfrmMain::cxBtnManClick);
    connect(N2, &QAction::triggered, this, &TfrmMain::N2Click);
    connect(N3, &QAction::triggered, this, &TfrmMain::N3Click);
    connect(N4, &QAction::triggered, this, &TfrmMain::N4Click);
    connect(N5, &QAction::triggered, this, &TfrmMain::S1Click);
    connect(N6, &QAction::triggered, this, &TfrmMain::N6Click);
    connect(N7, &QAction::triggered, this, &TfrmMain::N7Click);
}

void TfrmMain::ShowTrayIcon()
{
    if (!tray_->IsAvailable())
        throw std::runtime_error(kNoTrayText);
    tray_->Show(ProgramIconImage(), QString::fromUtf8(kTrayToolTip), PopupMenu1);
    connect(tray_.get(), &TrayIcon::Clicked, this, &TfrmMain::N6Click);
}

void TfrmMain::UseWindows(QDialog& version, QDialog& targetList, QDialog& history)
{
    version_ = &version;
    targetList_ = &targetList;
    history_ = &history;
}

void TfrmMain::FormCreate()
{
    HotKeyVirtualKey = kHotKeyVirtualKey;
    HotKeyModifiers = kHotKeyModifiers;
    hotKey_->Register(HotKeyModifiers, HotKeyVirtualKey);
    FirstRun = 0;
    if (PrepareStore()) {
        FirstRun = 1;
        show();
    }
    autoRun_.MakeFlag();
    ToggleAutoRun();
    LoadSchedule();
    Timer1->start();
}

void TfrmMain::FormShow()
{
    if (FirstRun == 1)
        SetStatusText(kFirstRunText);
}

void TfrmMain::FormClose()
{
    hotKey_->Unregister();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Restoring from the taskbar is no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    emit Closed();
}

int TfrmMain::RunBackup()
{
    return backupRun_.RunBackup();
}

void TfrmMain::ToggleAutoRun()
{
    autoRun_.ToggleAutoRun();
}

void TfrmMain::LoadSchedule()
{
    autoRun_.LoadSchedule();
}

void TfrmMain::CheckSchedule()
{
    autoRun_.CheckSchedule();
}

void TfrmMain::OpenModal(QDialog* window)
{
    if (window)
        window->exec();
}

void TfrmMain::S1Click()
{
    if (FirstRun == 1) {
        FirstRun = 0;
        SetStatusText("");
    }
    OpenModal(targetList_);
}

void TfrmMain::E1Click()
{
    close();
}

void TfrmMain::H1Click()
{
    OpenModal(history_);
}

void TfrmMain::N1Click()
{
    hide();
}

void TfrmMain::N2Click()
{
    OpenModal(version_);
}

void TfrmMain::N3Click()
{
    ReportErrors([this] { ToggleAutoRun(); });
}

void TfrmMain::N4Click()
{
    ReportErrors([this] { ToggleAutoRun(); });
}

void TfrmMain::cxBtnAutoClick()
{
    ReportErrors([this] { ToggleAutoRun(); });
}

void TfrmMain::N6Click()
{
    ShowMainWindow();
}

void TfrmMain::N7Click()
{
    close();
}

void TfrmMain::cxBtnManClick()
{
    ReportErrors([this] {
        int failures = 0;
        ShowRunningWhile(*this, [&] { failures = RunBackup(); }, StatusAfterRun::Earlier);
        // The program is ending: no box to wait for.
        if (StopRequested())
            return;
        ShowPlainBox(QString::fromUtf8(RunFinishedText(failures)));
    });
}

void TfrmMain::Timer1Timer()
{
    ReportErrors([this] { CheckSchedule(); });
}

void TfrmMain::ShowMainWindow()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
}

void TfrmMain::WMHotKey(quint32 lParam)
{
    const int modifiers = static_cast<int>(lParam & 0xFFFF);
    const int key = static_cast<int>(lParam >> 16);
    if (modifiers != HotKeyModifiers || key != HotKeyVirtualKey)
        return;
    ShowMainWindow();
    activateWindow();
}

void TfrmMain::WMUser100(int lParam)
{
    if (lParam == kLeftButtonDown)
        ShowMainWindow();
    else if (lParam == kRightButtonDown)
        PopUpTrayMenu();
}

void TfrmMain::PopUpTrayMenu()
{
    // On Wayland a menu is placed only relative to a window of ours that is shown, and no one
    // tells where the mouse is: with none shown the menu would become a window of its own,
    // laid out like any other (full screen in a tiling desktop). So the main window comes up
    // and the menu opens over it.
    if (OnWayland() && !AnyWindowShown()) {
        ShowMainWindow();
        PopupMenu1->popup(mapToGlobal(rect().center()));
        return;
    }
    PopupMenu1->popup(QCursor::pos());
}

void TfrmMain::ShowFailuresBalloon(int failures)
{
    if (failures > 0)
        tray_->ShowBalloon(QStringLiteral("Brellow2"), QString::fromUtf8(RunFinishedText(failures)));
}

void TfrmMain::ShowRunStartedBalloon()
{
    tray_->ShowBalloon(QStringLiteral("Brellow2"), QStringLiteral("バックアップを開始しました"));
}

void TfrmMain::SetMenuItemState(AutoRunMenuItem item, bool enabled, bool checked)
{
    QAction* action = nullptr;
    switch (item) {
    case AutoRunMenuItem::N3: action = N3; break;
    case AutoRunMenuItem::A1: action = A1; break;
    case AutoRunMenuItem::B1: action = B1; break;
    case AutoRunMenuItem::N4: action = N4; break;
    }
    action->setEnabled(enabled);
    // Always checkable: a tray that draws the menu itself keeps the last mark it was sent
    // when an item stops carrying one.
    action->setCheckable(true);
    action->setChecked(checked);
}

void TfrmMain::SetAutoButtonCaption(const std::string& caption)
{
    cxBtnAuto->setText(QString::fromStdString(caption));
}

void TfrmMain::SetAutoButtonGreen(bool green)
{
    if (green) {
        QPalette face = cxBtnAuto->palette();
        face.setColor(QPalette::Button, QColor(0, 255, 0));
        cxBtnAuto->setPalette(face);
    } else {
        cxBtnAuto->setPalette(QPalette());
    }
}

void TfrmMain::StartTimer()
{
    Timer1->start();
}

void TfrmMain::StopTimer()
{
    Timer1->stop();
}

void TfrmMain::SetStatusText(const std::string& text)
{
    statusLabel_->setText(QString::fromStdString(text));
    // A run holds the thread; the line is drawn now so it is seen during the run.
    statusLabel_->repaint();
}

std::string TfrmMain::StatusText() const
{
    return statusLabel_->text().toStdString();
}

void TfrmMain::HideWindow()
{
    hide();
}

}  // namespace brellow
