#include "app/TemporaryName.h"

namespace norvane {

namespace {

constexpr std::string_view kTemporaryMark = ".nvtmp-";
constexpr std::size_t kTemporaryRandom = 6;

}  // namespace

bool IsTemporaryName(std::string_view name)
{
    const std::size_t tail = kTemporaryMark.size() + kTemporaryRandom;
    return name.size() >= tail && name.front() == '.' &&
           name.substr(name.size() - tail, kTemporaryMark.size()) == kTemporaryMark;
}

}  // namespace norvane
