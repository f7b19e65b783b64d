#include "engine/MailFile.h"

#include "engine/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace norvane {

namespace {

constexpr std::size_t kCompareBlock = 1 << 20;
constexpr std::size_t kShortWrite = 4;  // a line end: compared byte by byte

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Closes a descriptor when the scope ends, unless released.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Opens the backup folder without following a link at its end, making it
// when it is missing; root gives a folder it made to the mail's owner.
int OpenBackupFolder(const std::string& folder, const struct stat& mail)
{
    std::string path = folder.empty() ? std::string(".") : folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();  // a final "/" would follow a link
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT && ::mkdir(path.c_str(), 0700) == 0) {
        fd = ::open(path.c_str(), kFlags);
        if (fd >= 0 && ::geteuid() == 0 && ::fchown(fd, mail.st_uid, mail.st_gid) != 0) {
            // The folder stays root's; its backups are still the owner's.
        }
    }
    return fd;
}

// Gives the backup the mail's owner and group as far as the process may; the
// group bits go when the group cannot be set.
bool GiveBackupOwnerAndMode(int fd, const struct stat& mail)
{
    mode_t mode = mail.st_mode & 0777;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    if (st.st_uid != mail.st_uid || st.st_gid != mail.st_gid) {
        if (::fchown(fd, mail.st_uid, mail.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), mail.st_gid) != 0)
            mode &= ~static_cast<mode_t>(070);
    }
    return ::fchmod(fd, mode) == 0;
}

}  // namespace

MailFile::MailFile(const std::string& path, std::string_view errorName, MailAccess access)
    : path_(path), errorName_(errorName.empty() ? path : std::string(errorName)), access_(access)
{
    struct stat link {};
    if (::lstat(path_.c_str(), &link) != 0)
        ThrowCannotOpen(errorName_);
    if (!S_ISREG(link.st_mode))
        ThrowNotRegular(errorName_);
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = -1;
    if (access_ == MailAccess::kReplace) {
        fd = ::open(path_.c_str(), O_RDWR | kFlags);
        writable_ = fd >= 0;
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY))
            fd = ::open(path_.c_str(), O_RDONLY | kFlags);
    } else {
        // Whether a real run could open it for writing, without doing so.
        writable_ = ::faccessat(AT_FDCWD, path_.c_str(), W_OK, AT_EACCESS) == 0;
        fd = ::open(path_.c_str(), O_RDONLY | kFlags);
    }
    if (fd < 0) {
        if (errno == ELOOP)
            ThrowNotRegular(errorName_);  // made a link since the check
        ThrowCannotOpen(errorName_);
    }
    FdGuard guard(fd);
    if (::fstat(fd, &status_) != 0)
        ThrowCannotOpen(errorName_);
    if (!S_ISREG(status_.st_mode))
        ThrowNotRegular(errorName_);
    if (!SameFile(status_, link))
        ThrowChanged(errorName_);
    // Only the open had to be kept from waiting: kernel copies from a file
    // left non-blocking come back short whenever a page is not yet read.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct flock lock {};
    lock.l_type = writable_ && access_ == MailAccess::kReplace ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0 && (errno == EACCES || errno == EAGAIN))
        ThrowInUse(errorName_);
    // Under the lock: the status the file must still have when it is replaced.
    if (::fstat(fd, &status_) != 0)
        ThrowCannotOpen(errorName_);
    fd_ = guard.Release();
}

MailFile::~MailFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void MailFile::CheckReplaceable() const
{
    const auto& mayWrite = TestSeam().mayWrite;
    const bool writable = mayWrite ? mayWrite(path_) : writable_;
    const uid_t user = ::geteuid();
    if ((status_.st_mode & 0222) == 0 || !writable || (user != 0 && user != status_.st_uid))
        ThrowCannotCreate(errorName_);
}

void MailFile::CheckUnchanged() const
{
    struct stat now {};
    if (::lstat(path_.c_str(), &now) != 0 || !SameFile(now, status_) || now.st_size != status_.st_size ||
        now.st_mtim.tv_sec != status_.st_mtim.tv_sec || now.st_mtim.tv_nsec != status_.st_mtim.tv_nsec)
        ThrowChanged(errorName_);
}

MailReplacement::MailReplacement(const MailFile& mail) : mail_(mail) {}

bool MailReplacement::Refill()
{
    if (held_) {
        const std::string_view held = held_->Held();
        const std::uint64_t heldAt = held_->HeldOffset();
        if (equal_ >= heldAt && equal_ - heldAt < held.size()) {
            blockAt_ = heldAt;
            blockData_ = held.data();
            blockLength_ = held.size();
            blockHeld_ = true;
            return true;
        }
    }
    if (block_.empty())
        block_.resize(static_cast<std::size_t>(std::clamp<std::uint64_t>(mail_.Size(), 4096, kCompareBlock)));
    blockAt_ = equal_;
    blockData_ = block_.data();
    blockLength_ = 0;
    blockHeld_ = false;
    for (;;) {
        const ssize_t n = ::pread(mail_.Descriptor(), block_.data(), block_.size(), static_cast<off_t>(blockAt_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowCannotOpen(mail_.ErrorName());
        blockLength_ = static_cast<std::size_t>(n);
        return n > 0;
    }
}

void MailReplacement::Write(std::string_view bytes)
{
    size_ += bytes.size();
    if (differs_)
        return;
    if (writer_) {
        writer_->Write(bytes);
        return;
    }
    if (held_) {
        // Bytes the reader holds are the file's: those it holds at their own
        // place need no comparing, and a short write is compared in place.
        const std::string_view held = held_->Held();
        const std::uint64_t heldAt = held_->HeldOffset();
        const std::uint64_t at = equal_ - heldAt;
        if (equal_ >= heldAt && at <= held.size() && bytes.size() <= held.size() - at) {
            const char* file = held.data() + at;
            bool same = file == bytes.data();
            if (!same && bytes.size() <= kShortWrite) {
                same = true;
                for (std::size_t i = 0; i < bytes.size(); ++i)
                    same = same && file[i] == bytes[i];
            }
            if (same) {
                equal_ += bytes.size();
                return;
            }
        }
    }
    if (blockHeld_) {
        // The reader may have moved its bytes since the last write.
        blockAt_ = equal_;
        blockLength_ = 0;
        blockHeld_ = false;
    }
    while (!bytes.empty()) {
        if (equal_ >= blockAt_ + blockLength_ && !Refill()) {
            Diverge(bytes);  // longer than the file
            return;
        }
        const std::size_t at = static_cast<std::size_t>(equal_ - blockAt_);
        const std::size_t n = std::min(bytes.size(), blockLength_ - at);
        const char* file = blockData_ + at;
        if (std::memcmp(file, bytes.data(), n) != 0) {
            const auto differs = std::mismatch(bytes.begin(), bytes.begin() + n, file).first;
            const auto same = static_cast<std::size_t>(differs - bytes.begin());
            equal_ += same;
            Diverge(bytes.substr(same));
            return;
        }
        equal_ += n;
        bytes.remove_prefix(n);
    }
}

void MailReplacement::Diverge(std::string_view rest)
{
    mail_.CheckReplaceable();
    if (mail_.Access() == MailAccess::kRead) {
        differs_ = true;
        block_ = {};
        return;
    }
    writer_.emplace(mail_.Path(), mail_.Status(), mail_.ErrorName());
    writer_->CopyFrom(mail_.Descriptor(), 0, equal_);
    writer_->Write(rest);
    block_ = {};
}

bool MailReplacement::Finish()
{
    if (!finished_ && !writer_ && !differs_ && equal_ != mail_.Size())
        Diverge({});  // shorter than the file
    finished_ = true;
    return writer_.has_value() || differs_;
}

void MailReplacement::Sync()
{
    if (Finish() && writer_)
        writer_->Sync();
}

void MailReplacement::Commit()
{
    if (!Finish() || !writer_)
        return;
    writer_->Commit([this] { mail_.CheckUnchanged(); });
}

std::string WriteBackup(const MailFile& mail, const std::function<std::string()>& nextName)
{
    std::string name = nextName();
    const std::size_t nameStart = name.rfind('/') + 1;  // 0 when there is no '/'
    const std::string folder = name.substr(0, nameStart);
    mail.CheckUnchanged();

    FdGuard dir(OpenBackupFolder(folder, mail.Status()));
    if (dir.Get() < 0)
        ThrowCannotCreate(name);
    std::string temp;
    FdGuard copy(CreateTemporaryFile(dir.Get(), {}, std::string_view(name).substr(nameStart), temp));
    if (copy.Get() < 0)
        ThrowCannotCreate(name);
    bool done = !TestSeam().plainCopy && ::ioctl(copy.Get(), FICLONE, mail.Descriptor()) == 0;
    if (!done)
        done = CopyRange(mail.Descriptor(), 0, copy.Get(), mail.Size());
    done = done && GiveBackupOwnerAndMode(copy.Get(), mail.Status());
    if (!done) {
        ::unlinkat(dir.Get(), temp.c_str(), 0);
        ThrowCannotCreate(name);
    }
    // Taken since it was chosen: the next free name, in the same folder.
    const auto next = [&]() -> std::optional<std::string> {
        const std::string following = nextName();
        if (following.compare(0, nameStart, folder) != 0 || following.find('/', nameStart) != std::string::npos)
            return std::nullopt;
        return following.substr(nameStart);
    };
    return folder + PublishTemporaryFile(copy.Release(), dir.Get(), temp, name.substr(nameStart), folder, 1000, next);
}

}  // namespace norvane
