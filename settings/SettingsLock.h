#pragma once

#include <chrono>
#include <string>

namespace norvane {

// How long a rewrite of the settings file waits for another saver to finish.
inline constexpr std::chrono::milliseconds kSettingsLockWait{10000};

// The lock file of a settings file: its name plus ".lock", beside it.
std::string SettingsLockPath(const std::string& settingsPath);

// An exclusive lock on the settings file's lock file, held while the file is
// read and rewritten, so that savers in other processes and other threads
// take turns. The lock file is created once and never deleted, so every
// saver locks the same inode; it is never opened through a symbolic link.
// The holder is waited for up to `wait`; a lock file that cannot be opened,
// or a lock not had in time, raises the create error naming the settings
// file.
class SettingsLock {
public:
    explicit SettingsLock(const std::string& settingsPath, std::chrono::milliseconds wait = kSettingsLockWait);
    ~SettingsLock();
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace norvane
