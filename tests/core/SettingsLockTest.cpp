#include "engine/Error.h"
#include "settings/KeyListStorage.h"
#include "settings/SettingsLock.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace norvane::test {

namespace fs = std::filesystem;

namespace {

using std::chrono::milliseconds;

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

std::string CreateError(const std::string& path)
{
    return FormatMessage(kMsgCannotCreate, path);
}

}  // namespace

TEST(SettingsLock, TheLockFileIsCreatedOnceAndKept)
{
    struct Case {
        const char* name;
        mode_t settingsMode;  // 0: no settings file
        mode_t lockMode;
    } cases[] = {
        {"private without a settings file", 0, 0600},
        {"the settings file's bits", 0640, 0640},
        {"at least the owner's read and write", 0444, 0644},
    };
    const mode_t oldMask = ::umask(022);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = dir.File("norvane.ini");
        if (c.settingsMode) {
            WriteFile(path, "[Dat]\n");
            ::chmod(path.c_str(), c.settingsMode);
        }
        EXPECT_EQ(SettingsLockPath(path), path + ".lock");
        { SettingsLock lock(path); }
        const auto first = StatOf(path + ".lock");
        EXPECT_TRUE(S_ISREG(first.st_mode));
        EXPECT_EQ(first.st_mode & 07777, c.lockMode);
        EXPECT_EQ(first.st_size, 0);
        { SettingsLock lock(path); }
        EXPECT_EQ(StatOf(path + ".lock").st_ino, first.st_ino);
    }
    ::umask(oldMask);
}

TEST(SettingsLock, NeverFollowsASymbolicLink)
{
    for (const bool targetExists : {false, true}) {
        SCOPED_TRACE(targetExists ? "link to a file" : "dangling link");
        TempDir dir;
        const auto path = dir.File("n.ini");
        const auto target = dir.File("target");
        WriteFile(path, "[Dat]\nDat1=A\n");
        if (targetExists)
            WriteFile(target, "precious");
        fs::create_symlink(target, path + ".lock");
        KeyListSession session(path, milliseconds(50));
        KeyList mine;
        session.Load(mine);
        mine.RegisterTicked("X-New");
        EXPECT_EQ(ErrorText([&] { session.Save(mine); }), CreateError(path));
        EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=A\n");
        EXPECT_TRUE(fs::is_symlink(path + ".lock"));
        EXPECT_EQ(fs::exists(target), targetExists);
        if (targetExists) {
            EXPECT_EQ(ReadFile(target), "precious");
        }
    }
}

TEST(SettingsLock, AnotherProcessHoldingTheLockDelaysTheSave)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=A\n");
    KeyListSession session(path);
    KeyList mine;
    session.Load(mine);
    mine.RegisterTicked("X-New");

    LockHolder holder(path, [](const std::string& settings) { return std::make_shared<SettingsLock>(settings); });
    ASSERT_TRUE(holder.Locked());
    std::string failure;
    std::thread saver([&] { failure = ErrorText([&] { session.Save(mine); }); });
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=A\n");
    holder.Release();
    saver.join();
    EXPECT_EQ(failure, "(no error)");
    EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=A\nDat2=X-New\n");
}

TEST(SettingsLock, AHolderThatDoesNotLetGoFailsTheSaveInTime)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=A\n");
    KeyListSession session(path, milliseconds(100));
    KeyList mine;
    session.Load(mine);
    mine.RegisterTicked("X-New");
    // Held in this very process: the lock belongs to the open file, so
    // another thread of one process waits as well.
    SettingsLock held(path);
    EXPECT_EQ(ErrorText([&] { session.Save(mine); }), CreateError(path));
    EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=A\n");
}

}  // namespace norvane::test
