#pragma once

#include "ShownBytes.h"
#include "engine/Error.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace norvane::test {

// A fresh temporary folder per test, removed afterwards. The process id keeps
// test runs of several checkouts on one machine apart.
class TempDir {
public:
    // inMemory: under /dev/shm when the machine has it, for tests that
    // rewrite many files (each rewrite is flushed to disk).
    explicit TempDir(bool inMemory = false)
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "norvane-";
        if (info)
            name += std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        name += "-" + std::to_string(::getpid());
        std::error_code error;
        const bool memory = inMemory && std::filesystem::is_directory("/dev/shm", error) &&
                            ::access("/dev/shm", W_OK) == 0;
        path_ = (memory ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names of the entries of a folder, sorted.
inline std::string ListFolder(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names)
        out += n + " ";
    return out;
}

// Names of the hidden entries of a folder (leftover temporary files), each
// followed by a blank; empty when there is none.
inline std::string HiddenFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names)
        out += n + " ";
    return out;
}

// Every byte, time, inode and mode of a folder and of what it holds, one
// entry a line, to compare before and after something that must not write.
inline std::string FolderState(const std::filesystem::path& folder)
{
    const auto describe = [](const std::filesystem::path& path) {
        struct stat st {};
        ::lstat(path.c_str(), &st);
        return std::to_string(st.st_ino) + " " + std::to_string(st.st_mode) + " " + std::to_string(st.st_size) +
               " " + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + " " +
               std::to_string(st.st_ctim.tv_sec) + "." + std::to_string(st.st_ctim.tv_nsec);
    };
    std::map<std::string, std::string> entries{{".", describe(folder)}};
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        entries[entry.path().filename().string()] =
            describe(entry.path()) + "\n" + (entry.is_regular_file() ? Shown(ReadFile(entry.path().string())) : "");
    std::string text;
    for (const auto& [name, state] : entries)
        text += "[" + name + "] " + state + "\n";
    return text;
}

// The message of the Error an action raises, or "(no error)".
inline std::string ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

// Restores the file-system seam after a test.
struct SeamGuard {
    ~SeamGuard();
};

}  // namespace norvane::test
