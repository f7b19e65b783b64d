#pragma once

#include "engine/ByteSink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

// A file's bytes mapped read-only; empty for an empty file. The mapping
// outlives the descriptor it was made from.
class MappedBytes {
public:
    MappedBytes() = default;
    // Maps the first size bytes of fd; raises the open error naming errorName.
    MappedBytes(int fd, std::uint64_t size, std::string_view errorName);
    ~MappedBytes();
    MappedBytes(MappedBytes&& other) noexcept;
    MappedBytes& operator=(MappedBytes&& other) noexcept;
    MappedBytes(const MappedBytes&) = delete;
    MappedBytes& operator=(const MappedBytes&) = delete;

    std::string_view Bytes() const { return {data_, size_}; }

private:
    void Release();

    char* data_ = nullptr;
    std::size_t size_ = 0;
};

// An anonymous file in the temporary folder ($TMPDIR, else /tmp), never in a
// mail folder: it has no name, so nothing is left of it when it is closed,
// whatever happens to the process. Holds a preview's result.
class ScratchFile final : public ByteSink {
public:
    // Raises the create error naming the temporary folder.
    ScratchFile();
    ~ScratchFile() override;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Raises the create error naming the temporary folder.
    void Write(std::string_view bytes) override;
    std::uint64_t Size() const { return size_; }
    // Everything written, mapped.
    MappedBytes Map();

private:
    void Flush();

    std::string folder_;
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t size_ = 0;
};

}  // namespace norvane
