#include "fuzz/FuzzSupport.h"

#include "bench/Reference.h"

#include "engine/HeaderKey.h"
#include "engine/TextRules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace norvane::fuzz {

namespace fs = std::filesystem;

namespace {

void PrintBroken(const char* file, int line, std::string_view property)
{
    std::fprintf(stderr, "\n%s:%d: property broken: %.*s\n", file, line, static_cast<int>(property.size()),
                 property.data());
}

void RemoveScratch()
{
    std::error_code error;
    fs::remove_all(ScratchFolder(), error);
}

}  // namespace

const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        std::error_code error;
        const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path();
        const fs::path path = base / ("norvane-fuzz-" + std::to_string(::getpid()));
        fs::remove_all(path, error);
        fs::create_directories(path);
        return path.string();
    }();
    static const bool removedAtExit = std::atexit(RemoveScratch) == 0;
    (void)removedAtExit;
    return folder;
}

std::string ScratchPath(std::string_view relative)
{
    const fs::path path = fs::path(ScratchFolder()) / relative;
    fs::create_directories(path.parent_path());
    return path.string();
}

void WriteFileBytes(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::perror(path.c_str());
        std::abort();
    }
    char block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, n);
    std::fclose(file);
    return bytes;
}

std::vector<std::string> SplitMailLines(std::string_view text)
{
    const bench::Lines lines = bench::SplitLines(text);
    return {lines.begin(), lines.end()};
}

std::string JoinCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string BehindFiller(std::string_view input, std::size_t blockEnd)
{
    constexpr std::string_view kKey = "X-Filler: ";
    constexpr std::string_view kEnd = "\r\n";
    const std::size_t before = blockEnd - input.size() / 2;
    if (input.size() / 2 + kKey.size() + kEnd.size() > blockEnd)
        return {};
    std::string text(kKey);
    text.append(before - kKey.size() - kEnd.size(), 'f');
    text += kEnd;
    text += input;
    return text;
}

const KeyList& MailKeys()
{
    static const KeyList keys = {"Received", "dkim-signature", "X-MAILER", ";Subject", ";x-known", "Return-Path"};
    return keys;
}

std::vector<std::string> ExpectedRegisteredKeys(const std::vector<std::string>& lines, const KeyList& keyList,
                                                bool allText)
{
    std::vector<std::string> keys;
    for (const auto& line : lines) {
        const HeaderKeyResult found = ExtractHeaderKey(line, allText);
        if (!found.result && !allText)
            break;
        if (found.key.empty() || keyList.Contains(found.key))
            continue;
        const bool seen = std::any_of(keys.begin(), keys.end(),
                                      [&](const std::string& key) { return EqualsAsciiNoCase(key, found.key); });
        if (!seen)
            keys.emplace_back(found.key);
    }
    return keys;
}

std::string Shown(std::string_view bytes)
{
    constexpr std::size_t kShown = 600;
    std::string out;
    for (const char c : bytes.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (byte < 32 || byte == 127) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else
            out += c;
    }
    if (bytes.size() > kShown)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

void Fail(const char* file, int line, std::string_view property)
{
    PrintBroken(file, line, property);
    std::abort();
}

void FailUnequal(const char* file, int line, std::string_view property, std::string_view expected,
                 std::string_view actual)
{
    PrintBroken(file, line, property);
    const auto parted = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(parted.first - expected.begin());
    const std::size_t from = at > 40 ? at - 40 : 0;
    std::fprintf(stderr, "  expected %zu bytes, got %zu; they part at byte %zu:\n  expected: \"%s\"\n  actual:   \"%s\"\n",
                 expected.size(), actual.size(), at, Shown(expected.substr(from, 160)).c_str(),
                 Shown(actual.substr(from, 160)).c_str());
    std::abort();
}

void FailUnequal(const char* file, int line, std::string_view property, const std::vector<std::string>& expected,
                 const std::vector<std::string>& actual)
{
    PrintBroken(file, line, property);
    const auto parted = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(parted.first - expected.begin());
    const auto shown = [](const std::vector<std::string>& lines, std::size_t i) {
        return i < lines.size() ? "\"" + Shown(lines[i]) + "\"" : std::string("(none)");
    };
    std::fprintf(stderr, "  expected %zu lines, got %zu; they part at line %zu:\n  expected: %s\n  actual:   %s\n",
                 expected.size(), actual.size(), at, shown(expected, at).c_str(), shown(actual, at).c_str());
    std::abort();
}

void FailUnequal(const char* file, int line, std::string_view property, long long expected, long long actual)
{
    PrintBroken(file, line, property);
    std::fprintf(stderr, "  expected: %lld\n  actual:   %lld\n", expected, actual);
    std::abort();
}

}  // namespace norvane::fuzz
