#pragma once

#include "engine/Error.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace norvane::test {

// The user tests drop to when a case needs someone who is not root.
inline constexpr uid_t kNobody = 65534;

// Runs body in a child process and returns what it returned: "error: TEXT"
// for a norvane::Error, "signal N" when the child was killed (alarmSeconds
// guards against a hang), "setuid failed" when it could not become asUser.
inline std::string InChild(const std::function<std::string()>& body, unsigned alarmSeconds = 5,
                           int asUser = -1)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::alarm(alarmSeconds);
        std::string result;
        if (asUser >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(asUser)) != 0 ||
                            ::setuid(static_cast<uid_t>(asUser)) != 0)) {
            result = "setuid failed";
        } else {
            try {
                result = body();
            } catch (const Error& e) {
                result = std::string("error: ") + e.what();
            } catch (const std::exception& e) {
                result = std::string("exception: ") + e.what();
            }
        }
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(pipeFds[1], result.data() + done, result.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return result;
}

// Another process holding an fcntl lock (type F_WRLCK or F_RDLCK) on a
// file while it lives.
class LockHolder {
public:
    explicit LockHolder(const std::string& path, short type = F_WRLCK)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release_) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release_[1]);
            const int fd = ::open(path.c_str(), type == F_RDLCK ? O_RDONLY : O_RDWR);
            struct flock lock {};
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            const char locked = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)::write(ready[1], &locked, 1);
            char ignored;
            (void)::read(release_[0], &ignored, 1);  // until the parent lets go
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release_[0]);
        char locked = 'n';
        (void)::read(ready[0], &locked, 1);
        ::close(ready[0]);
        locked_ = locked == 'y';
    }
    ~LockHolder()
    {
        ::close(release_[1]);
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int release_[2] = {-1, -1};
    bool locked_ = false;
};

}  // namespace norvane::test
