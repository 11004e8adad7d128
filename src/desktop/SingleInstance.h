#pragma once

#include <QString>

#include <string>

#include "desktop/StartupWait.h"

namespace brellow {

// A lock on a file, held from a successful TryLock until the object goes. The descriptor is
// not handed to child programs, so a companion left running keeps no lock.
class InstanceLock {
public:
    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result { Held, TakenByOther, Unavailable };
    // Unavailable: the file cannot be made or locked (the store's folder is missing or not
    // the user's to write); opening the store then reports that.
    Result TryLock();

private:
    std::string path_;
    int fd_ = -1;
};

// The lock file beside the store.
std::string InstanceLockPathFor(const std::string& storePath);

// The session bus name of the copy that uses this store.
QString InstanceBusNameFor(const std::string& storePath);

// One running copy per store. The first start holds the lock beside the store for its whole
// run; a later start asks that copy over the session bus to show its main window (the tray
// callback's left click) and ends. Without a session bus the lock alone keeps it out.
class SingleInstance {
public:
    explicit SingleInstance(const std::string& storePath);

    // Answers true when this process is to run; false when another copy runs for the store
    // and this one is to end (its window was asked to show, or that was said on standard error).
    bool Claim(const StartupWaiter& waiter);

    QString BusName() const { return busName_; }

private:
    InstanceLock lock_;
    QString busName_;
};

}  // namespace brellow
