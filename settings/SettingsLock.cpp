#include "settings/SettingsLock.h"

#include "engine/Error.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace norvane {

namespace {

constexpr int kOpenFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
constexpr std::chrono::milliseconds kFirstPause{2};
constexpr std::chrono::milliseconds kLongestPause{50};

// Opens the lock file, creating it when missing. A new one gets the settings
// file's permission bits (at least the owner's read and write) and, where the
// process may give them, its owner and group, so that a run as root does not
// lock the owner out; without a settings file it is private.
int OpenLockFile(const std::string& settingsPath)
{
    const auto lockPath = SettingsLockPath(settingsPath);
    struct stat settings {};
    const bool haveSettings = ::stat(settingsPath.c_str(), &settings) == 0;
    const mode_t mode = haveSettings ? ((settings.st_mode & 0666) | 0600) : 0600;
    // Someone may remove the lock file between the two opens; a few rounds
    // settle that.
    for (int round = 0; round < 3; ++round) {
        int fd = ::open(lockPath.c_str(), kOpenFlags | O_CREAT | O_EXCL, mode);
        if (fd >= 0) {
            if (haveSettings && (settings.st_uid != ::geteuid() || settings.st_gid != ::getegid()))
                (void)::fchown(fd, settings.st_uid, settings.st_gid);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        fd = ::open(lockPath.c_str(), kOpenFlags);
        if (fd >= 0 || errno != ENOENT)
            return fd;
    }
    return -1;
}

}  // namespace

std::string SettingsLockPath(const std::string& settingsPath)
{
    return settingsPath + ".lock";
}

// flock rather than fcntl: its lock belongs to the open file, so two threads
// of one process (a run's save and the window's) exclude each other, and
// closing some other descriptor of the file does not drop it.
SettingsLock::SettingsLock(const std::string& settingsPath, std::chrono::milliseconds wait)
{
    fd_ = OpenLockFile(settingsPath);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ < 0)
        ThrowCannotCreate(settingsPath);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    auto pause = std::chrono::duration_cast<Clock::duration>(kFirstPause);
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno == EINTR)
            continue;
        const auto now = Clock::now();
        if (errno != EWOULDBLOCK || now >= deadline) {
            ::close(fd_);
            ThrowCannotCreate(settingsPath);
        }
        std::this_thread::sleep_for(std::min(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::duration_cast<Clock::duration>(kLongestPause));
    }
}

SettingsLock::~SettingsLock()
{
    // Closing the only descriptor of the open file lets the lock go.
    ::close(fd_);
}

}  // namespace norvane
