#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/MailFile.h"
#include "ChildProcess.h"
#include "TestFiles.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <sys/stat.h>

namespace norvane::test {

namespace fs = std::filesystem;

namespace {

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

std::string Msg(std::string_view pattern, const std::string& name)
{
    return FormatMessage(pattern, name);
}

// A text of many lines, larger than the compare block when big.
std::string ManyLines(std::size_t bytes)
{
    std::string text;
    for (int i = 0; text.size() < bytes; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    return text;
}

}  // namespace

TEST(MailFile, RefusesWhatIsNotARegularFileAtOnce)
{
    TempDir dir;
    WriteFile(dir.File("real.eml"), "a\r\n");
    fs::create_symlink(dir.Path() / "real.eml", dir.Path() / "link.eml");
    fs::create_symlink(dir.Path() / "none", dir.Path() / "dangling.eml");
    fs::create_directory(dir.Path() / "folder.eml");
    ASSERT_EQ(::mkfifo(dir.File("fifo.eml").c_str(), 0600), 0);
    struct Case {
        const char* name;
        std::string_view message;
    } cases[] = {
        {"link.eml", kMsgNotRegular},
        {"dangling.eml", kMsgNotRegular},
        {"folder.eml", kMsgNotRegular},
        {"fifo.eml", kMsgNotRegular},
        {"missing.eml", kMsgCannotOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // In a child with an alarm: a FIFO must never make the open wait.
        const std::string result = InChild([&] {
            MailFile file(dir.File(c.name), c.name);
            return std::string("opened");
        }, 2);
        EXPECT_EQ(result, "error: " + Msg(c.message, c.name));
    }
    EXPECT_EQ(ReadFile(dir.File("real.eml")), "a\r\n");
}

TEST(MailFile, IsRefusedWhileAnotherProgramHoldsALock)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "a\r\nb\r\n");
    {
        LockHolder holder(path);
        ASSERT_TRUE(holder.Locked());
        EXPECT_EQ(ErrorOf([&] { MailFile file(path); }), Msg(kMsgInUse, path));
    }
    EXPECT_EQ(ErrorOf([&] { MailFile file(path); }), "") << "the lock is gone with its holder";
}

TEST(MailFile, ReadAccessOpensReadOnlyUnderAReadLock)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "a\r\nb\r\n");
    {
        LockHolder holder(path);
        ASSERT_TRUE(holder.Locked());
        EXPECT_EQ(ErrorOf([&] { MailFile file(path, {}, MailAccess::kRead); }), Msg(kMsgInUse, path));
    }
    MailFile file(path, {}, MailAccess::kRead);
    EXPECT_EQ(::fcntl(file.Descriptor(), F_GETFL) & O_ACCMODE, O_RDONLY);
    // Another reader may lock it too; a writer may not.
    const auto lockAs = [&](short type) {
        return InChild([&] {
            const int fd = ::open(path.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = type;
            lock.l_whence = SEEK_SET;
            return std::string(::fcntl(fd, F_SETLK, &lock) == 0 ? "locked" : "refused");
        });
    };
    EXPECT_EQ(lockAs(F_RDLCK), "locked");
    EXPECT_EQ(lockAs(F_WRLCK), "refused");
    // What a replacement would raise is still checked, without writing.
    ::chmod(path.c_str(), 0444);
    MailFile readOnly(path, {}, MailAccess::kRead);
    MailReplacement replacement(readOnly);
    EXPECT_EQ(ErrorOf([&] { replacement.Write("x"); }), Msg(kMsgCannotCreate, path));
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

TEST(MailFile, NoticesEveryChangeOfTheFileItOpened)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    struct Case {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"nothing", [] {}},
        {"appended", [&] { std::ofstream(path, std::ios::app) << "From late\n"; }},
        {"rewritten to the same size", [&] { std::ofstream(path, std::ios::in | std::ios::out) << "X"; }},
        {"touched",
         [&] {
             const timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
             ::utimensat(AT_FDCWD, path.c_str(), times, 0);
         }},
        {"replaced by another file",
         [&] {
             WriteFile(path + ".new", "a\r\nb\r\n");
             fs::rename(path + ".new", path);
         }},
        {"replaced by a link",
         [&] {
             WriteFile(dir.File("other"), "a\r\nb\r\n");
             fs::remove(path);
             fs::create_symlink(dir.Path() / "other", path);
         }},
        {"removed", [&] { fs::remove(path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path);
        WriteFile(path, "a\r\nb\r\n");
        MailFile file(path, "m.eml");
        c.change();
        const bool unchanged = std::string_view(c.name) == "nothing";
        EXPECT_EQ(ErrorOf([&] { file.CheckUnchanged(); }), unchanged ? "" : Msg(kMsgChanged, "m.eml"));
    }
}

TEST(MailFile, RefusesToReplaceAFileWithoutAnyWriteBitEvenForRoot)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    struct Case {
        mode_t mode;
        bool replaceable;
    } cases[] = {{0644, true}, {0600, true}, {0200, true}, {0020, true}, {0444, false}, {0400, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        WriteFile(path, "a\r\n");
        ::chmod(path.c_str(), c.mode);
        MailFile file(path);
        EXPECT_EQ(ErrorOf([&] { file.CheckReplaceable(); }), c.replaceable ? "" : Msg(kMsgCannotCreate, path));
        ::chmod(path.c_str(), 0644);
    }
}

TEST(MailReplacement, WritesNothingWhileTheContentEqualsTheFile)
{
    SeamGuard guard;
    TempDir dir;
    const std::string path = dir.File("m.eml");
    const std::string big = ManyLines(3u << 20);
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> pieces;  // written one by one
        bool changes;
    } cases[] = {
        {"equal", "ab\r\ncd\r\n", {"ab", "\r\n", "cd", "\r\n"}, false},
        {"equal in one piece", "ab\r\ncd\r\n", {"ab\r\ncd\r\n"}, false},
        {"both empty", "", {}, false},
        {"nothing written", "ab\r\n", {}, true},
        {"first byte differs", "ab\r\n", {"Ab\r\n"}, true},
        {"last byte differs", "ab\r\n", {"ab\r\r"}, true},
        {"longer", "ab\r\n", {"ab\r\n", "c"}, true},
        {"shorter", "ab\r\ncd", {"ab\r\n"}, true},
        {"LF becomes CR LF", "ab\ncd\n", {"ab", "\r\n", "cd", "\r\n"}, true},
        {"big and equal", big, {big.substr(0, 1500000), big.substr(1500000)}, false},
        {"big, differs after the first block", big,
         {big.substr(0, 2000000), "!", big.substr(2000001)}, true},
        {"big, one byte more", big, {big, "\r\n"}, true},
    };
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "buffer copies" : "kernel copies");
        TestSeam().plainCopy = plain;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            WriteFile(path, c.file);
            const ino_t inode = StatOf(path).st_ino;
            std::string content;
            {
                MailFile file(path);
                MailReplacement replacement(file);
                for (const auto& piece : c.pieces) {
                    replacement.Write(piece);
                    content += piece;
                }
                EXPECT_EQ(replacement.Finish(), c.changes);
                if (!c.changes) {
                    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ") << "no temporary file";
                }
                replacement.Commit();
            }
            EXPECT_TRUE(ReadFile(path) == content);
            EXPECT_EQ(StatOf(path).st_ino == inode, !c.changes);
            EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
        }
    }
}

TEST(MailReplacement, ComparesWithTheBytesTheReaderHolds)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    const std::string crLf = ManyLines(40000);
    std::string lf = crLf, cr = crLf;
    std::erase(lf, '\r');
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    cr.erase(std::unique(cr.begin(), cr.end(), [](char a, char b) { return a == '\r' && b == '\r'; }), cr.end());
    struct Case {
        const char* name;
        std::string file;
        std::size_t lag;        // lines read ahead of the line written
        std::size_t seekAfter;  // lines after which the reader seeks, forgetting its bytes (0: never)
        bool changes;
    } cases[] = {
        {"CR LF, written as read", crLf, 0, 0, false},
        {"CR LF, written behind the reader", crLf, 700, 0, false},
        {"CR LF, the reader sought back", crLf, 0, 3000, false},
        {"LF", lf, 0, 0, true},
        {"LF, written behind the reader", lf, 700, 0, true},
        {"CR", cr, 0, 0, true},
        {"CR, written behind the reader", cr, 700, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, c.file);
        std::string content;
        {
            MailFile file(path);
            LineReader reader(file.Descriptor(), path, {.firstBlock = 4096});
            MailReplacement replacement(file);
            replacement.CompareWith(reader);
            std::deque<std::string> pending;
            const auto write = [&] {
                replacement.Write(pending.front());
                replacement.Write("\r\n");
                content += pending.front() + "\r\n";
                pending.pop_front();
            };
            std::string_view line;
            std::size_t count = 0;
            while (reader.Next(line)) {
                pending.emplace_back(line);
                if (++count == c.seekAfter)
                    reader.Seek(reader.LineOffset() + line.size() + LineEndBytes(reader.LastLineEnd()).size());
                if (pending.size() > c.lag)
                    write();
            }
            while (!pending.empty())
                write();
            EXPECT_EQ(replacement.Finish(), c.changes);
            replacement.Commit();
        }
        EXPECT_TRUE(ReadFile(path) == content);
    }
}

TEST(MailReplacement, ReplacesOnlyTheFileAsItWasOpened)
{
    SeamGuard guard;
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "a\nb\n");
    {
        MailFile file(path, "m.eml");
        MailReplacement replacement(file);
        replacement.Write("a\r\nb\r\n");
        std::ofstream(path, std::ios::app) << "c\n";  // delivered meanwhile
        EXPECT_EQ(ErrorOf([&] { replacement.Commit(); }), Msg(kMsgChanged, "m.eml"));
    }
    EXPECT_EQ(ReadFile(path), "a\nb\nc\n");
    EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
}

TEST(WriteBackup, CopiesTheFileByteForByte)
{
    SeamGuard guard;
    TempDir dir;
    const std::string path = dir.File("m.eml");
    const std::string cases[] = {
        "a\rb\rc",                         // CR line ends, no final line end
        "a\nb\r\n\n\rc\r",                 // mixed
        std::string("\0\x1a\xff\r\n", 5),  // not text
        "",
        ManyLines(2u << 20),
    };
    for (const bool plain : {false, true}) {
        TestSeam().plainCopy = plain;
        for (const auto& bytes : cases) {
            SCOPED_TRACE(bytes.size());
            fs::remove(dir.File("m.bak"));
            WriteFile(path, bytes);
            MailFile file(path);
            EXPECT_EQ(WriteBackup(file, [&] { return dir.File("m.bak"); }), dir.File("m.bak"));
            EXPECT_TRUE(ReadFile(dir.File("m.bak")) == bytes);
            EXPECT_EQ(ListFolder(dir.Path()), "m.bak m.eml ");
        }
    }
}

TEST(WriteBackup, GivesTheCopyTheModeAndOwnerOfTheMail)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    struct Case {
        mode_t mode;
        uid_t owner;
        gid_t group;
    } cases[] = {{0600, 0, 0}, {0640, kNobody, kNobody}, {0604, kNobody, 0}, {0660, 0, kNobody}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        if (c.owner != ::geteuid() && ::geteuid() != 0)
            continue;
        fs::remove(dir.File("m.bak"));
        WriteFile(path, "a\r\n");
        ::chmod(path.c_str(), c.mode);
        ASSERT_EQ(::chown(path.c_str(), c.owner, c.group), 0);
        MailFile file(path);
        WriteBackup(file, [&] { return dir.File("m.bak"); });
        const struct stat st = StatOf(dir.File("m.bak"));
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, c.group);
    }
}

TEST(WriteBackup, NeverReplacesAFileNorFollowsALink)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "mail\n");
    WriteFile(dir.File("target"), "precious");
    WriteFile(dir.File("old.bak"), "older backup");
    fs::create_symlink(dir.Path() / "target", dir.Path() / "m.bak");
    fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "dangling.bak");
    // The names as a run would offer them if each was free when chosen.
    std::vector<std::string> names = {"m.bak", "dangling.bak", "old.bak", "m.eml.bak"};
    std::size_t next = 0;
    MailFile file(path);
    EXPECT_EQ(WriteBackup(file, [&] { return dir.File(names.at(next++)); }), dir.File("m.eml.bak"));
    EXPECT_EQ(ReadFile(dir.File("m.eml.bak")), "mail\n");
    EXPECT_EQ(ReadFile(dir.File("target")), "precious");
    EXPECT_EQ(ReadFile(dir.File("old.bak")), "older backup");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "m.bak"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling.bak"));
    EXPECT_FALSE(fs::exists(dir.Path() / "nowhere"));
    EXPECT_EQ(ListFolder(dir.Path()), "dangling.bak m.bak m.eml m.eml.bak old.bak target ");
}

TEST(WriteBackup, MakesAMissingFolderPrivateAndRefusesALinkedOne)
{
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "mail\n");
    MailFile file(path);
    EXPECT_EQ(WriteBackup(file, [&] { return dir.File("kept/m.bak"); }), dir.File("kept/m.bak"));
    EXPECT_EQ(StatOf(dir.File("kept")).st_mode & 07777, 0700u);
    EXPECT_EQ(ReadFile(dir.File("kept/m.bak")), "mail\n");

    fs::create_directory(dir.Path() / "elsewhere");
    fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "linked");
    EXPECT_EQ(ErrorOf([&] { WriteBackup(file, [&] { return dir.File("linked/m.bak"); }); }),
              Msg(kMsgCannotCreate, dir.File("linked/m.bak")));
    EXPECT_EQ(ListFolder(dir.Path() / "elsewhere"), "");
}

TEST(WriteBackup, LeavesNothingWhenItFails)
{
    SeamGuard guard;
    TempDir dir;
    const std::string path = dir.File("m.eml");
    WriteFile(path, "mail\n");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string backup;
        std::string_view message;
    } cases[] = {
        {"the disk is full",
         [] { TestSeam().failBeforeRename = [](const std::string& t) { return t.ends_with("m.bak"); }; },
         dir.File("m.bak"), kMsgCannotCreate},
        {"the name is too long", [] {}, dir.File(std::string(256, 'b')), kMsgCannotCreate},
        {"the mail file changed", [&] { std::ofstream(path, std::ios::app) << "more\n"; }, dir.File("m.bak"),
         kMsgChanged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestSeam() = FileSystemSeam{};
        MailFile file(path, "m.eml");
        c.arrange();
        const std::string name = c.message == kMsgChanged ? std::string("m.eml") : c.backup;
        EXPECT_EQ(ErrorOf([&] { WriteBackup(file, [&] { return c.backup; }); }), Msg(c.message, name));
        EXPECT_EQ(ListFolder(dir.Path()), "m.eml ");
    }
}

}  // namespace norvane::test
