#include "engine/ScratchFile.h"

#include "engine/Error.h"
#include "engine/FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace norvane {

namespace {

constexpr std::size_t kScratchBuffer = 1 << 16;

std::string TemporaryFolder()
{
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

}  // namespace

MappedBytes::MappedBytes(int fd, std::uint64_t size, std::string_view errorName)
{
    if (size == 0)
        return;
    void* data = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        ThrowCannotOpen(errorName);
    data_ = static_cast<char*>(data);
    size_ = static_cast<std::size_t>(size);
}

MappedBytes::~MappedBytes()
{
    Release();
}

MappedBytes::MappedBytes(MappedBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
{
}

MappedBytes& MappedBytes::operator=(MappedBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void MappedBytes::Release()
{
    if (data_)
        ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

ScratchFile::ScratchFile() : folder_(TemporaryFolder())
{
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name = folder_ + "/norvane-preview-XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ >= 0)
            ::unlink(name.c_str());
    }
    if (fd_ < 0)
        ThrowCannotCreate(folder_);
}

ScratchFile::~ScratchFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void ScratchFile::Write(std::string_view bytes)
{
    size_ += bytes.size();
    buffer_.append(bytes);
    if (buffer_.size() >= kScratchBuffer)
        Flush();
}

void ScratchFile::Flush()
{
    if (!WriteAll(fd_, buffer_))
        ThrowCannotCreate(folder_);
    buffer_.clear();
}

MappedBytes ScratchFile::Map()
{
    Flush();
    return MappedBytes(fd_, size_, folder_);
}

}  // namespace norvane
