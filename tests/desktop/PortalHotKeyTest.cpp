#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>

#include "desktop/HotKeyChoice.h"
#include "desktop/PortalHotKey.h"

using namespace brellow;

namespace {

constexpr int kCtrlShift = HotKey::kModControl | HotKey::kModShift;
constexpr quint32 kCtrlShiftQ = kCtrlShift | (0x51u << 16);
constexpr int kWaitMs = 10000;

TEST(PortalHotKeyTest, TriggerNamesTheModifiersAndTheLetter)
{
    const struct {
        int modifiers;
        int key;
        const char* trigger;
    } cases[] = {
        {kCtrlShift, 'Q', "CTRL+SHIFT+q"},
        {HotKey::kModAlt | HotKey::kModSuper, 'A', "ALT+LOGO+a"},
        {0, 'Z', "z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortalTrigger(c.modifiers, c.key), QString::fromLatin1(c.trigger)) << c.trigger;
}

TEST(HotKeyChoiceTest, WaylandTakesThePortalWhereOfferedAndX11TheGrab)
{
    const struct {
        bool wayland;
        bool x11;
        bool offered;
        HotKeyKind kind;
        bool portalAsked;
    } cases[] = {
        {false, true, true, HotKeyKind::X11, false},
        {false, false, true, HotKeyKind::None, false},
        {true, false, true, HotKeyKind::Portal, true},
        {true, true, true, HotKeyKind::Portal, true},    // XWayland: the grab misses Wayland windows' keys
        {true, true, false, HotKeyKind::X11, true},
        {true, false, false, HotKeyKind::None, true},
    };
    for (const auto& c : cases) {
        bool asked = false;
        const HotKeyKind kind = ChooseHotKey(c.wayland, c.x11, [&] {
            asked = true;
            return c.offered;
        });
        EXPECT_EQ(kind, c.kind) << c.wayland << c.x11 << c.offered;
        EXPECT_EQ(asked, c.portalAsked) << c.wayland << c.x11 << c.offered;
    }
}

// A session bus of the test's own, and on it, when started, a fake desktop portal.
class PortalBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon_.waitForReadyRead(kWaitMs)) << "no session bus";
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        bus_ = QDBusConnection::connectToBus(address_, QStringLiteral("portal-test"));
        ASSERT_TRUE(bus_.isConnected());
    }

    void TearDown() override
    {
        for (QProcess* process : {&portal_, &daemon_}) {
            process->kill();
            process->waitForFinished(kWaitMs);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("portal-test"));
    }

    void StartPortal(const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        portal_.setProcessEnvironment(environment);
        portal_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        portal_.start(QStringLiteral(FAKE_DESKTOP_PORTAL), arguments);
        ASSERT_EQ(AwaitPortalLine(), QStringLiteral("ready"));
    }

    // The portal's next line; the event loop runs meanwhile, so the bus is served.
    QString AwaitPortalLine()
    {
        while (!portal_.canReadLine()) {
            QSignalSpy output(&portal_, &QProcess::readyReadStandardOutput);
            if (!output.wait(kWaitMs))
                return QStringLiteral("(nothing from the portal)");
        }
        return QString::fromUtf8(portal_.readLine()).trimmed();
    }

    // Every signal the portal sent before now has been handled.
    void Settle()
    {
        ASSERT_TRUE(PortalHotKey::Offered(bus_));
        QCoreApplication::processEvents();
    }

    QProcess daemon_;
    QProcess portal_;
    QString address_;
    QDBusConnection bus_{QString()};
};

TEST_F(PortalBusTest, OfferedOnlyWhereAPortalHoldsGlobalShortcuts)
{
    EXPECT_FALSE(PortalHotKey::Offered(bus_));
    StartPortal();
    EXPECT_TRUE(PortalHotKey::Offered(bus_));
    EXPECT_FALSE(PortalHotKey::Offered(QDBusConnection(QStringLiteral("no such connection"))));
}

TEST_F(PortalBusTest, CtrlShiftQBoundThroughThePortalArrivesAsTheHotKeyOfItsOwnSessionOnly)
{
    StartPortal();
    PortalHotKey hotKey(bus_);
    QSignalSpy pressed(&hotKey, &HotKey::Pressed);
    hotKey.Register(kCtrlShift, 0x51);
    EXPECT_EQ(AwaitPortalLine(), QStringLiteral("bind show-main-window CTRL+SHIFT+q"));

    // The portal reports a press in another session and one of another shortcut first.
    ASSERT_TRUE(pressed.wait(kWaitMs));
    Settle();
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<quint32>(), kCtrlShiftQ);

    hotKey.Unregister();
    EXPECT_TRUE(AwaitPortalLine().startsWith(QStringLiteral("closed /org/freedesktop/portal/desktop/session/")));
}

TEST_F(PortalBusTest, ABindingTheDesktopDeclinesIsSaidOnStandardErrorAndItsSessionClosed)
{
    StartPortal({QStringLiteral("--refuse")});
    PortalHotKey hotKey(bus_);
    QSignalSpy pressed(&hotKey, &HotKey::Pressed);
    ::testing::internal::CaptureStderr();
    hotKey.Register(kCtrlShift, 0x51);
    EXPECT_EQ(AwaitPortalLine(), QStringLiteral("bind show-main-window CTRL+SHIFT+q"));
    EXPECT_TRUE(AwaitPortalLine().startsWith(QStringLiteral("closed ")));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the global hot key is not available"), std::string::npos) << said;
    EXPECT_NE(said.find("CTRL+SHIFT+q"), std::string::npos) << said;
    EXPECT_EQ(pressed.count(), 0);
}

}  // namespace
