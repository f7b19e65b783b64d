#include "engine/FileIo.h"

#include "engine/Error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
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

// The file a path finally names, following symbolic links; the path itself
// when it does not exist yet.
std::string ResolveTarget(const std::string& path)
{
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    return path;
}

// The temporary file beside the target; a name too long to take the suffix
// gets a short name of its own in the same folder.
std::string TempPathFor(const std::string& target)
{
    constexpr std::string_view kSuffix = ".nvtmpXXXXXX";
    const std::size_t nameStart = target.rfind('/') + 1;  // 0 when there is no '/'
    if (target.size() - nameStart + kSuffix.size() <= NAME_MAX)
        return target + std::string(kSuffix);
    return target.substr(0, nameStart) + std::string(kSuffix);
}

}  // namespace

FileSystemSeam& TestSeam()
{
    static FileSystemSeam seam;
    return seam;
}

std::string ReadWholeFile(const std::string& path, std::string_view errorName)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowCannotOpen(NameOr(errorName, path));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
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
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        Fail(errno);
    capacity_ = kSmallBlock;
    if (options_.firstBlock > kSmallBlock) {
        // Small files get a small buffer: a run over thousands of short mails
        // should not take a whole block for each. (A reader that starts small
        // anyway saves the call: a folder then fails at the first read.)
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd_);
            fd_ = -1;
            Fail(error);
        }
        const auto size = static_cast<std::uint64_t>(st.st_size);
        capacity_ = static_cast<std::size_t>(std::clamp<std::uint64_t>(size + 1, kSmallBlock, options_.firstBlock));
    }
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
}

LineReader::~LineReader()
{
    if (fd_ >= 0)
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
        begin_ = 0;
    }
    if (end_ == capacity_) {
        // A line longer than the buffer.
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ *= 2;
    }
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
            if (begin_ < end_ && buffer_[begin_] == '\n')
                ++begin_;
            return true;
        }
        if (lf) {
            line = std::string_view(start, span);
            lineOffset_ = bufferOffset_ + begin_;
            begin_ += span + 1;
            return true;
        }
        if (eof_ || !Fill()) {
            if (end_ == begin_)
                return false;
            line = std::string_view(buffer_.get() + begin_, end_ - begin_);
            lineOffset_ = bufferOffset_ + begin_;
            begin_ = end_;
            return true;
        }
    }
}

void LineReader::Seek(std::uint64_t offset)
{
    if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        Fail(errno);
    begin_ = end_ = noLfBefore_ = 0;
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
    tempPath_ = TempPathFor(target_);
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        tempPath_.clear();
        ThrowCannotCreate(errorName_);
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
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

void AtomicFileWriter::FlushBuffer()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail();
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void AtomicFileWriter::Commit()
{
    if (fd_ < 0)
        Fail();
    FlushBuffer();
    if (::fsync(fd_) != 0)
        Fail();
    const auto& failBeforeRename = TestSeam().failBeforeRename;
    if (failBeforeRename && failBeforeRename(target_))
        Fail();
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail();
    }
    fd_ = -1;
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
