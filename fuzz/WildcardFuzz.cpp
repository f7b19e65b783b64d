// The wildcard matcher over any pattern and name (the input is the pattern,
// a NUL byte, then the name): on ASCII names it agrees with fnmatch under
// FNM_CASEFOLD once '[' is escaped and "*.*" is read as "*", under both text
// rules; it never matches the hidden temporary names a rewrite leaves beside
// a file, when the engine names them (IsTemporaryName).
#include "engine/FileIo.h"
#include "fuzz/FuzzSupport.h"
#include "settings/FolderScan.h"

#include <concepts>
#include <fnmatch.h>

namespace norvane {

// An argument from this namespace, so that an unqualified call finds a
// norvane::IsTemporaryName by argument-dependent lookup when one is declared.
struct FuzzName {
    std::string_view text;
    operator std::string_view() const { return text; }
    operator std::string() const { return std::string(text); }
};

}  // namespace norvane

namespace {

template <typename Name>
concept HasTemporaryNamePredicate = requires(Name name) {
    { IsTemporaryName(name) } -> std::convertible_to<bool>;
};

constexpr bool kEngineNamesTemporaries = HasTemporaryNamePredicate<norvane::FuzzName>;

template <typename Name>
bool IsTemporary(std::string_view name)
{
    if constexpr (HasTemporaryNamePredicate<Name>)
        return IsTemporaryName(Name{name});
    else
        return false;
}

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (c == '\0' || static_cast<unsigned char>(c) > 127)
            return false;
    return true;
}

std::string FnmatchPattern(std::string_view pattern)
{
    if (pattern == "*.*")
        return "*";
    std::string escaped;
    for (const char c : pattern) {
        if (c == '[')
            escaped += "[[]";
        else
            escaped += c;
    }
    return escaped;
}

// A folder holding a mail file and the hidden temporary file of its rewrite.
[[maybe_unused]] const std::string& FolderWithTemporary()
{
    static const std::string folder = [] {
        const std::string mail = norvane::fuzz::ScratchPath("wildcard/mail.eml");
        norvane::fuzz::WriteFileBytes(mail, "Subject: x\r\n");
        norvane::fuzz::WriteFileBytes(norvane::fuzz::ScratchPath("wildcard/.mail.eml.nvtmp-q7Z0aB"), "");
        return mail.substr(0, mail.rfind('/') + 1);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view pattern = input.substr(0, nul);
    std::string_view name = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    name = name.substr(0, name.find('\0'));

    const TextRules utf8;
    const bool matched = MatchesWildcard(name, pattern, utf8);
    const bool matchedDoubleByte = MatchesWildcard(name, pattern, kShiftJisBackslashRules);
    if (IsAscii(pattern) && IsAscii(name) && !IsTemporary<FuzzName>(name)) {
        const std::string fnPattern = FnmatchPattern(pattern);
        const std::string fnName(name);
        const bool expected = ::fnmatch(fnPattern.c_str(), fnName.c_str(), FNM_CASEFOLD | FNM_NOESCAPE) == 0;
        FUZZ_REQUIRE_EQ(expected, matched, "the matcher agrees with fnmatch on ASCII names");
        FUZZ_REQUIRE_EQ(expected, matchedDoubleByte, "double-byte rules match ASCII names alike");
    }

    if constexpr (kEngineNamesTemporaries) {
        if (IsTemporary<FuzzName>(name))
            FUZZ_REQUIRE(!matched && !matchedDoubleByte, "no pattern matches a temporary name");
        if (!name.empty() && name.find('/') == std::string_view::npos) {
            const std::string temporary = "." + std::string(name) + ".nvtmp-q7Z0aB";
            FUZZ_REQUIRE(IsTemporary<FuzzName>(temporary), "a rewrite's temporary name is temporary");
            FUZZ_REQUIRE(!MatchesWildcard(temporary, pattern, utf8), "no pattern matches a temporary name");
        }
        // Wherever the exclusion lives, a folder scan never lists one.
        if (!pattern.empty() && pattern.find_first_of("/;") == std::string_view::npos) {
            std::vector<std::string> listed;
            ScanFolder(FolderWithTemporary() + std::string(pattern), kEntryAny, listed);
            for (const auto& path : listed)
                FUZZ_REQUIRE(path.find(".nvtmp-") == std::string::npos, "a folder scan lists no temporary file");
        }
    }
    return 0;
}
