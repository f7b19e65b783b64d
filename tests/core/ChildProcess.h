#pragma once

#include "TestFiles.h"
#include "engine/Error.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <memory>
#include <string>
#include <vector>
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

struct RunResult {
    int status = -1;  // exit status, -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs a program in workDir with its standard output and error caught in files
// of scratchDir. language: the LANGUAGE it gets, or nullptr to inherit ours.
inline RunResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                            const std::filesystem::path& workDir, const std::filesystem::path& scratchDir,
                            const char* language)
{
    const std::string outPath = (scratchDir / "stdout").string();
    const std::string errPath = (scratchDir / "stderr").string();
    std::vector<std::string> all = {binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::chdir(workDir.c_str()) != 0 ||
            (language && ::setenv("LANGUAGE", language, 1) != 0))
            ::_exit(127);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(outPath), ReadFile(errPath)};
}

// Another process holding a lock on a file until released: by default an
// fcntl write lock; lockStep, run in that process, takes another kind and
// returns what holds it, or nullptr when it could not lock.
class LockHolder {
public:
    using LockStep = std::function<std::shared_ptr<void>(const std::string& path)>;

    explicit LockHolder(const std::string& path, const LockStep& lockStep = WriteLock)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(release_) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::alarm(10);  // a parent that never lets go does not leave us behind
            ::close(ready[0]);
            ::close(release_[1]);
            std::shared_ptr<void> held;
            try {
                held = lockStep(path);
            } catch (const std::exception&) {
            }
            const char locked = held ? 'y' : 'n';
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
    ~LockHolder() { Release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool Locked() const { return locked_; }

    // Lock steps: an fcntl write lock (the default) or read lock.
    static std::shared_ptr<void> WriteLock(const std::string& path) { return FcntlLock(path, F_WRLCK); }
    static std::shared_ptr<void> ReadLock(const std::string& path) { return FcntlLock(path, F_RDLCK); }

    // Lets go of the lock and waits until the other process has ended.
    void Release()
    {
        if (release_[1] >= 0)
            ::close(release_[1]);
        release_[1] = -1;
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    static std::shared_ptr<void> FcntlLock(const std::string& path, short type)
    {
        const int fd = ::open(path.c_str(), type == F_RDLCK ? O_RDONLY : O_RDWR);
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        if (fd < 0 || ::fcntl(fd, F_SETLK, &lock) != 0)
            return nullptr;
        return std::make_shared<int>(fd);  // the lock lives until the process ends
    }

    pid_t pid_ = -1;
    int release_[2] = {-1, -1};
    bool locked_ = false;
};

}  // namespace norvane::test
