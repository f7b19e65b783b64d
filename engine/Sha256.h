#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

// SHA-256 over bytes given in pieces of any size.
class Sha256 {
public:
    Sha256();

    void Update(std::string_view bytes);
    // The digest as 64 lower-case hexadecimal digits; the object starts over
    // afterwards, ready for a new message.
    std::string Final();

private:
    void Block(const unsigned char* block);
    void Reset();

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> buffer_;
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

// The digest of one whole text.
std::string Sha256Hex(std::string_view bytes);

}  // namespace norvane
