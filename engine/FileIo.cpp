#include "engine/FileIo.h"

#include "engine/Error.h"
#include "engine/PassControl.h"
#include "engine/TextRules.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane {

namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr std::size_t kSmallBlock = 4096;
constexpr char kEndOfFileMark = 26;

std::string NameOr(std::string_view errorName, const std::string& path)
{
    return errorName.empty() ? path : std::string(errorName);
}

constexpr std::string_view kTempMark = ".nvtmp-";
constexpr std::size_t kTempRandom = 6;

// Gives fd the owner and group of like; true when they are already its own.
bool GiveOwner(int fd, const struct stat& like)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    if (st.st_uid == like.st_uid && st.st_gid == like.st_gid)
        return true;
    return ::fchown(fd, like.st_uid, like.st_gid) == 0;
}

}  // namespace

std::string ResolveTarget(const std::string& path)
{
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    return path;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

FileSystemSeam& TestSeam()
{
    static FileSystemSeam seam;
    return seam;
}

bool IsTemporaryName(std::string_view name)
{
    const std::size_t tail = kTempMark.size() + kTempRandom;
    return name.size() >= tail && name.front() == '.' && name.substr(name.size() - tail, kTempMark.size()) == kTempMark;
}

int CreateTemporaryFile(int dirFd, std::string_view folder, std::string_view name, std::string& path)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // A name too long to take the mark gets a short hidden name of its own.
    std::string stem(1, '.');
    stem += name;
    if (stem.size() + kTempMark.size() + kTempRandom > NAME_MAX)
        stem.clear();
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[kTempRandom];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return -1;
        path.assign(folder);
        path += stem;
        path += kTempMark;
        for (const unsigned char r : random)
            path += kLetters[r % (sizeof kLetters - 1)];
        const int fd = ::openat(dirFd, path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int PlaceExclusively(int dirFd, const std::string& temp, const std::string& name)
{
    if (::renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link never
    // replaces a name either.
    if (::linkat(dirFd, temp.c_str(), dirFd, name.c_str(), 0) != 0)
        return errno;
    ::unlinkat(dirFd, temp.c_str(), 0);
    return 0;
}

std::string PublishTemporaryFile(int fd, int dirFd, const std::string& temp, std::string name,
                                 std::string_view shownFolder, int attempts,
                                 const std::function<std::optional<std::string>()>& next)
{
    bool done = ::fsync(fd) == 0;
    done = ::close(fd) == 0 && done;
    const auto& failBeforeRename = TestSeam().failBeforeRename;
    done = done && !(failBeforeRename && failBeforeRename(std::string(shownFolder) + name));
    for (int attempt = 0; done && attempt < attempts; ++attempt) {
        const int error = PlaceExclusively(dirFd, temp, name);
        if (error == 0) {
            ::fsync(dirFd);
            return name;
        }
        if (error != EEXIST)
            break;
        std::optional<std::string> following = next();
        if (!following)
            break;
        name = std::move(*following);
    }
    ::unlinkat(dirFd, temp.c_str(), 0);
    ThrowCannotCreate(std::string(shownFolder) + name);
}

bool CopyRange(int from, std::uint64_t offset, int to, std::uint64_t length)
{
    bool inKernel = !TestSeam().plainCopy;
    std::vector<char> block;
    auto at = static_cast<off_t>(offset);
    while (length > 0) {
        // As much as one call may move (the kernel's limit for a read or write).
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, 0x7ffff000));
        ssize_t n;
        if (inKernel) {
            n = ::copy_file_range(from, &at, to, nullptr, chunk, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EPERM)) {
                inKernel = false;  // not between these files: through a buffer
                continue;
            }
        } else {
            block.resize(kBlock);
            n = ::pread(from, block.data(), std::min(chunk, kBlock), at);
            if (n > 0) {
                if (!WriteAll(to, std::string_view(block.data(), static_cast<std::size_t>(n))))
                    return false;
                at += n;
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        length -= static_cast<std::uint64_t>(n);
    }
    return true;
}

std::string ReadWholeFile(const std::string& path, std::string_view errorName)
{
    std::string text;
    // Only the open may not wait: a FIFO named as a settings file is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowCannotOpen(NameOr(errorName, path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowCannotOpen(NameOr(errorName, path));
    }
    text.reserve(static_cast<std::size_t>(st.st_size));
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            ThrowCannotOpen(NameOr(errorName, path));
        }
        if (n == 0)
            break;
        text.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

LineReader::LineReader(const std::string& path, const LineReaderOptions& options)
    : path_(path), options_(options)
{
    // Only the open may not wait: a FIFO is refused, never waited on.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        Fail(errno);
    struct stat st {};
    const bool known = ::fstat(fd_, &st) == 0;
    const int error = known ? 0 : errno;
    if (!known || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        if (!known)
            Fail(error);
        if (S_ISDIR(st.st_mode))
            Fail(EISDIR);
        ThrowNotRegular(path_);
    }
    // The flag stays: it changes nothing for reading a regular file.
    SizeBuffer(static_cast<std::uint64_t>(st.st_size));
}

LineReader::LineReader(int fd, std::string_view errorName, const LineReaderOptions& options)
    : fd_(fd), ownsFd_(false), path_(errorName), options_(options)
{
    Seek(0);
    struct stat st {};
    SizeBuffer(::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0);
}

void LineReader::SizeBuffer(std::uint64_t fileSize)
{
    fileSize_ = fileSize;
    // Small files get a small buffer: a run over thousands of short mails
    // should not take a whole block for each.
    capacity_ = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(fileSize + 1, kSmallBlock, std::max(options_.firstBlock, kSmallBlock)));
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

LineReader::~LineReader()
{
    if (fd_ >= 0 && ownsFd_)
        ::close(fd_);
}

void LineReader::Fail(int error) const
{
    if (options_.errors == ReadErrorText::Cause)
        throw Error(ReadErrorMessage(error));
    ThrowCannotOpen(path_);
}

bool LineReader::Fill()
{
    if (eof_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        bufferOffset_ += begin_;
        end_ -= begin_;
        noLfBefore_ = noLfBefore_ > begin_ ? noLfBefore_ - begin_ : 0;
        noAbsentBefore_ = noAbsentBefore_ > begin_ ? noAbsentBefore_ - begin_ : 0;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        // A line longer than the buffer.
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ *= 2;
    }
    const PassControl* control = options_.control;
    if (control)
        control->Check();
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        const auto read = static_cast<std::size_t>(n);
        if (control)
            control->Read(bufferOffset_ + end_ + read, fileSize_);
        if (options_.endAtByte26) {
            if (const void* mark = std::memchr(buffer_.get() + end_, kEndOfFileMark, read)) {
                end_ = static_cast<std::size_t>(static_cast<const char*>(mark) - buffer_.get());
                eof_ = true;
                return true;
            }
        }
        end_ += read;
        return true;
    }
}

bool LineReader::Next(std::string_view& line)
{
    for (;;) {
        const char* base = buffer_.get();
        const char* start = base + begin_;
        const std::size_t avail = end_ - begin_;
        const std::size_t from = std::max(begin_, noLfBefore_);
        const char* lf = static_cast<const char*>(std::memchr(base + from, '\n', end_ - from));
        noLfBefore_ = lf ? static_cast<std::size_t>(lf - base) : end_;
        const std::size_t span = lf ? static_cast<std::size_t>(lf - start) : avail;
        const char* cr = static_cast<const char*>(std::memchr(start, '\r', span));
        if (cr) {
            const std::size_t len = static_cast<std::size_t>(cr - start);
            if (len + 1 == avail && !eof_) {
                // A CR at the end of the block: the next byte decides CR LF.
                Fill();
                continue;
            }
            line = std::string_view(start, len);
            lineOffset_ = bufferOffset_ + begin_;
            begin_ += len + 1;
            lineEnd_ = LineEnd::kCr;
            if (begin_ < end_ && buffer_[begin_] == '\n') {
                ++begin_;
                lineEnd_ = LineEnd::kCrLf;
            }
            return true;
        }
        if (lf) {
            line = std::string_view(start, span);
            lineOffset_ = bufferOffset_ + begin_;
            begin_ += span + 1;
            lineEnd_ = LineEnd::kLf;
            return true;
        }
        if (eof_ || !Fill()) {
            if (end_ == begin_)
                return false;
            line = std::string_view(buffer_.get() + begin_, end_ - begin_);
            lineOffset_ = bufferOffset_ + begin_;
            begin_ = end_;
            lineEnd_ = LineEnd::kNone;
            return true;
        }
    }
}

LineRun LineReader::TakeRun(const PlainLineRule& rule)
{
    LineRun run;
    if (rule.absent != absent_) {
        absent_ = rule.absent;
        noAbsentBefore_ = 0;
    }
    const char* const base = buffer_.get();
    const std::size_t start = begin_;
    std::size_t at = begin_;
    std::size_t lastLine = at;
    while (at < end_) {
        const char first = base[at];
        if (first == '\r' || first == '\n')
            break;  // an empty line
        bool excluded = false;
        for (const char c : rule.notFirst)
            excluded = excluded || c == first;
        if (excluded)
            break;
        // The prefix holds no line end, so a match lies within this line.
        if (!rule.notPrefix.empty() && FoldAscii(first) == FoldAscii(rule.notPrefix.front())) {
            const std::string_view rest(base + at, end_ - at);
            if (rule.prefixAnyCase ? StartsWithAsciiNoCase(rest, rule.notPrefix) : rest.starts_with(rule.notPrefix))
                break;
        }
        // The line's end, found as Next finds it.
        const std::size_t lfFrom = std::max(at, noLfBefore_);
        const char* lf = static_cast<const char*>(std::memchr(base + lfFrom, '\n', end_ - lfFrom));
        noLfBefore_ = lf ? static_cast<std::size_t>(lf - base) : end_;
        const char* cr = static_cast<const char*>(std::memchr(base + at, '\r', noLfBefore_ - at));
        std::size_t lineEnd;
        std::size_t next;
        LineEnd end;
        if (cr) {
            lineEnd = static_cast<std::size_t>(cr - base);
            if (lineEnd + 1 == end_)
                break;  // the next byte, not held yet, decides
            if (base[lineEnd + 1] == '\n') {
                end = LineEnd::kCrLf;
                next = lineEnd + 2;
            } else {
                end = LineEnd::kCr;
                next = lineEnd + 1;
            }
        } else if (lf) {
            end = LineEnd::kLf;
            lineEnd = noLfBefore_;
            next = lineEnd + 1;
        } else {
            break;  // not held whole, or the last line without an end
        }
        if (rule.crLfOnly && end != LineEnd::kCrLf)
            break;
        if (rule.absent != 0) {
            const std::size_t from = std::max(at, noAbsentBefore_);
            if (from < lineEnd) {
                const char* found = static_cast<const char*>(std::memchr(base + from, rule.absent, end_ - from));
                noAbsentBefore_ = found ? static_cast<std::size_t>(found - base) : end_;
            }
            if (noAbsentBefore_ < lineEnd)
                break;
        }
        lastLine = at;
        ++run.lines;
        run.lastEnd = end;
        run.allCrLf = run.allCrLf && end == LineEnd::kCrLf;
        at = next;
    }
    if (run.lines > 0) {
        run.bytes = std::string_view(base + start, at - start);
        lineOffset_ = bufferOffset_ + lastLine;
        lineEnd_ = run.lastEnd;
        begin_ = at;
    }
    return run;
}

void LineReader::Seek(std::uint64_t offset)
{
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        Fail(errno);
    begin_ = end_ = noLfBefore_ = noAbsentBefore_ = 0;
    bufferOffset_ = offset;
    eof_ = false;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, std::string_view errorName)
    : target_(ResolveTarget(path)), errorName_(NameOr(errorName, path))
{
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists) {
        const auto& mayWrite = TestSeam().mayWrite;
        const bool writable = mayWrite ? mayWrite(target_) : ::access(target_.c_str(), W_OK) == 0;
        if (!writable || !S_ISREG(st.st_mode))
            ThrowCannotCreate(errorName_);
    }
    Create(exists ? &st : nullptr);
    if (exists && GiveOwner(fd_, st))  // as far as the process may
        ::fchmod(fd_, st.st_mode & 07777);
}

AtomicFileWriter::AtomicFileWriter(const std::string& target, const struct stat& like, std::string_view errorName)
    : target_(target), errorName_(NameOr(errorName, target))
{
    Create(&like);
    if (!GiveOwner(fd_, like) || ::fchmod(fd_, like.st_mode & 07777) != 0)
        Fail();
}

void AtomicFileWriter::Create(const struct stat* like)
{
    const std::size_t nameStart = target_.rfind('/') + 1;  // 0 when there is no '/'
    fd_ = CreateTemporaryFile(AT_FDCWD, std::string_view(target_).substr(0, nameStart),
                              std::string_view(target_).substr(nameStart), tempPath_);
    if (fd_ < 0) {
        tempPath_.clear();
        ThrowCannotCreate(errorName_);
    }
    mode_t mode;
    if (like) {
        mode = like->st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0)
        Fail();
    buffer_.reserve(kBlock);
}

AtomicFileWriter::~AtomicFileWriter()
{
    Abandon();
}

void AtomicFileWriter::Abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void AtomicFileWriter::Fail()
{
    Abandon();
    ThrowCannotCreate(errorName_);
}

void AtomicFileWriter::Write(std::string_view bytes)
{
    if (fd_ < 0)
        Fail();
    written_ += bytes.size();
    if (buffer_.size() + bytes.size() > kBlock) {
        FlushBuffer();
        if (bytes.size() >= kBlock) {
            buffer_.assign(bytes);
            FlushBuffer();
            return;
        }
    }
    buffer_.append(bytes);
}

void AtomicFileWriter::CopyFrom(int from, std::uint64_t offset, std::uint64_t length)
{
    if (fd_ < 0)
        Fail();
    FlushBuffer();
    if (!CopyRange(from, offset, fd_, length))
        Fail();
    written_ += length;
}

void AtomicFileWriter::FlushBuffer()
{
    if (!WriteAll(fd_, buffer_))
        Fail();
    buffer_.clear();
}

void AtomicFileWriter::Sync()
{
    if (fd_ < 0)
        Fail();
    FlushBuffer();
    if (::fsync(fd_) != 0)
        Fail();
}

void AtomicFileWriter::Commit(const std::function<void()>& lastCheck)
{
    Sync();
    const auto& failBeforeRename = TestSeam().failBeforeRename;
    if (failBeforeRename && failBeforeRename(target_))
        Fail();
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail();
    }
    fd_ = -1;
    if (lastCheck) {
        try {
            lastCheck();
        } catch (const Error&) {
            Abandon();
            throw;
        }
    }
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0)
        Fail();
    tempPath_.clear();
}

void WriteWholeFile(const std::string& path, std::string_view text, std::string_view errorName)
{
    AtomicFileWriter writer(path, errorName);
    writer.Write(text);
    writer.Commit();
}

}  // namespace norvane
