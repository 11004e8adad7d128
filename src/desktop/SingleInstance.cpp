#include "desktop/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cerrno>
#include <cstdio>

#include "desktop/TrayCallbackService.h"
#include "store/StoreLocation.h"

namespace brellow {

namespace {

const char* const kLockFileName = "qzbackup.lock";
constexpr int kLeftButtonDown = 513;
constexpr int kBusCallTimeoutMs = 2000;
// The running copy offers its name once its window exists, which may take as long as the
// wait for a notification area.
constexpr std::chrono::seconds kHandOverLimit{40};
constexpr std::chrono::milliseconds kHandOverInterval{250};

bool AskToShowMainWindow(QDBusConnection& bus, const QString& busName)
{
    QDBusMessage call = QDBusMessage::createMethodCall(busName, QLatin1String(TrayCallbackService::kObjectPath),
                                                       QLatin1String(TrayCallbackService::kInterfaceName),
                                                       QStringLiteral("TrayCallback"));
    call << kLeftButtonDown;
    return bus.call(call, QDBus::Block, kBusCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

InstanceLock::Result InstanceLock::TryLock()
{
    if (fd_ >= 0)
        return Result::Held;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::TakenByOther : Result::Unavailable;
    }
    fd_ = fd;
    return Result::Held;
}

std::string InstanceLockPathFor(const std::string& storePath)
{
    return BesideStore(storePath, kLockFileName);
}

QString InstanceBusNameFor(const std::string& storePath)
{
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(storePath), QCryptographicHash::Sha256).toHex().left(16);
    return QLatin1String(TrayCallbackService::kServiceName) + QStringLiteral(".Store_") + QString::fromLatin1(digest);
}

SingleInstance::SingleInstance(const std::string& storePath)
    : lock_(InstanceLockPathFor(storePath)), busName_(InstanceBusNameFor(storePath))
{
}

bool SingleInstance::Claim(const StartupWaiter& waiter)
{
    if (lock_.TryLock() != InstanceLock::Result::TakenByOther)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "Brellow2: another copy already runs for this backup store; this one ends.\n");
        return false;
    }
    bool mine = false;
    const bool settled = WaitUntil(
        [&] {
            // The other copy may end meanwhile; then this one takes over.
            mine = lock_.TryLock() != InstanceLock::Result::TakenByOther;
            return mine || AskToShowMainWindow(bus, busName_);
        },
        kHandOverLimit, kHandOverInterval, waiter);
    if (!settled)
        std::fprintf(stderr, "Brellow2: another copy already runs for this backup store but does not answer; "
                             "this one ends.\n");
    return mine;
}

}  // namespace brellow
